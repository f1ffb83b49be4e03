#!/usr/bin/env bash
# Fails when a file includes a folder above its own: foundation -> model -> app -> forms -> ui ->
# program, with samples/ and cli/ beside the core.
set -euo pipefail
cd "$(dirname "$0")/.."

# Folder: the folders its files may include.
declare -A allowed=(
    [foundation]="foundation"
    [model]="foundation model"
    [app]="foundation model app"
    [forms]="foundation model app forms"
    [ui]="foundation model app forms ui"
    [program]="foundation model app forms ui program"
    [samples]="foundation model samples"
    [cli]="foundation model app cli"
)
pattern=$(printf '%s|' "${!allowed[@]}")
pattern=${pattern%|}

status=0
for folder in "${!allowed[@]}"; do
    [ -d "$folder" ] || continue
    while IFS=: read -r file line target; do
        case " ${allowed[$folder]} " in
        *" $target "*) ;;
        *)
            echo "$file:$line: $folder/ may not include $target/"
            status=1
            ;;
        esac
    done < <(grep -rnoE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]($pattern)/" "$folder" --include='*.cpp' --include='*.h' |
        sed -E 's/^([^:]*):([0-9]+):.*[\"<]([a-z]+)\/$/\1:\2:\3/')
done
exit $status
