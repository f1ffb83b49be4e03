#!/usr/bin/env bash
# tests/install/BashCompletion.sh QUILLON_CLI
# Drives the bash completion of quillon-cli as bash does on Tab, in a folder of sample files, and
# checks that it offers exactly the commands QUILLON_CLI --help lists.
set -uo pipefail
export LC_ALL=C
here=$(cd "$(dirname "$0")" && pwd)
cli=$(realpath "$1")
source "$here/../../dist/completions/quillon-cli.bash"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
touch a.cpd B.CPD c.cpk d.json e.txt
mkdir folder
failures=0

# offers "WORDS TYPED SO FAR" "EXPECTED, sorted and space-separated"
offers() {
    read -r -a COMP_WORDS <<<"$1"
    [[ $1 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _quillon_cli
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort -u | tr '\n' ' ' | sed 's/ $//')
    if [ "$got" != "$2" ]; then
        echo "FAIL: '$1' offers '$got', expected '$2'"
        failures=$((failures + 1))
    fi
}

commands=$("$cli" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p' | sort | tr '\n' ' ' | sed 's/ $//')
[ -n "$commands" ] || { echo "FAIL: $cli --help lists no commands"; exit 1; }
offers "quillon-cli " "$(printf '%s\n' $commands help --help --version | sort | tr '\n' ' ' | sed 's/ $//')"
offers "quillon-cli help " "$commands"
offers "quillon-cli ex" "export extract"
offers "quillon-cli check " "B.CPD a.cpd folder"
offers "quillon-cli check --" "--help --json"
offers "quillon-cli dump a.cpd -o " "d.json folder"
offers "quillon-cli build d.json -o " "B.CPD a.cpd folder"
offers "quillon-cli export a.cpd " "c.cpk folder"
offers "quillon-cli export --reproducible a.cpd " "c.cpk folder"
offers "quillon-cli extract c.cpk " "folder"
offers "quillon-cli verify c.cpk --against " "B.CPD a.cpd folder"
offers "quillon-cli diff a.cpd " "B.CPD a.cpd d.json folder"
offers "quillon-cli inspect --json " "c.cpk folder"

if [ "$failures" -ne 0 ]; then
    echo "$failures completion checks failed"
    exit 1
fi
echo "bash completion offers what quillon-cli takes"
