#!/usr/bin/env bash
# scripts/check-install.sh BUILD_DIR
# Installs the build into a temporary DESTDIR and checks the tree, the desktop entry, the AppStream
# metadata, the MIME file, the manual pages and the installed programs; then builds the Debian
# package and checks it with dpkg-deb and lintian. Every lintian warning must be explained in
# docs/packaging.md. Needs the packages of QUILLON_PACKAGES (scripts/common.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
id=io.github.corvane.Quillon
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage=$work/stage

fail() {
    echo "check-install: $*" >&2
    exit 1
}

echo "== Install into a staging folder (version $version)"
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$work/install.log" || { cat "$work/install.log"; exit 1; }

expected=$(sort <<EOF_LIST
usr/bin/quillon
usr/bin/quillon-cli
usr/share/applications/$id.desktop
usr/share/bash-completion/completions/quillon-cli
usr/share/doc/quillon/changelog.gz
usr/share/doc/quillon/copyright
usr/share/fish/vendor_completions.d/quillon-cli.fish
usr/share/icons/hicolor/scalable/apps/$id.svg
usr/share/icons/hicolor/scalable/mimetypes/application-x-quillon-definition.svg
usr/share/icons/hicolor/scalable/mimetypes/application-x-quillon-package.svg
usr/share/man/man1/quillon-cli.1.gz
usr/share/man/man1/quillon.1.gz
usr/share/metainfo/$id.metainfo.xml
usr/share/mime/packages/$id.xml
usr/share/zsh/vendor-completions/_quillon-cli
EOF_LIST
)
installed=$(cd "$stage" && find . -type f -o -type l | sed 's|^\./||' | sort)
[ "$installed" = "$expected" ] || fail "the installed tree differs from the expected one:
$(diff <(echo "$expected") <(echo "$installed") || true)"

echo "== Desktop entry, AppStream metadata, MIME types"
desktop-file-validate "$stage/usr/share/applications/$id.desktop"
appstreamcli validate --no-net --pedantic --explain "$stage/usr/share/metainfo/$id.metainfo.xml" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log"; fail "appstreamcli rejects the metainfo"; }
grep -q "<release version=\"$version\"" "$stage/usr/share/metainfo/$id.metainfo.xml" ||
    fail "the AppStream release is not $version"
mime=$stage/usr/share/mime/packages/$id.xml
xmllint --noout "$mime" "$stage"/usr/share/icons/hicolor/scalable/*/*.svg
for type in application/x-quillon-definition application/x-quillon-package; do
    [ -f "$stage/usr/share/icons/hicolor/scalable/mimetypes/${type/\//-}.svg" ] || fail "no icon for $type"
done
if command -v update-mime-database >/dev/null; then
    # The database tool accepts the file and makes both types of it.
    cp -r "$stage/usr/share/mime" "$work/mime"
    XDG_DATA_HOME=$work XDG_DATA_DIRS=$work update-mime-database "$work/mime" 2>"$work/mime.log"
    [ ! -s "$work/mime.log" ] || { cat "$work/mime.log"; fail "update-mime-database complains"; }
    for type in x-quillon-definition x-quillon-package; do
        [ -f "$work/mime/application/$type.xml" ] || fail "update-mime-database made no application/$type"
    done
fi

echo "== Manual pages"
for page in quillon quillon-cli; do
    text=$(gzip -dc "$stage/usr/share/man/man1/$page.1.gz")
    grep -qi "^\.TH \"\?${page}\"\? \"\?1\"\?.*$version" <<<"$text" || fail "$page.1 does not carry version $version"
done
commands=$("$build/quillon-cli" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p')
[ -n "$commands" ] || fail "quillon-cli --help lists no commands"
cli_page=$(gzip -dc "$stage/usr/share/man/man1/quillon-cli.1.gz")
for command in $commands; do
    grep -q "^\.SS \"$command" <<<"$cli_page" || fail "quillon-cli.1 does not explain '$command'"
done

echo "== The installed programs, run from another folder"
# The example names its files relative to the repository root: a copy of that layout elsewhere.
mkdir -p "$work/examples"
cp -r examples/Demo "$work/examples/Demo"
(
    cd "$work"
    unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
    out=$("$stage/usr/bin/quillon-cli" --version)
    [[ $out == "quillon-cli $version" || $out == "quillon-cli $version (git "*")" ]] ||
        fail "the installed quillon-cli --version says '$out', not version $version"
    "$stage/usr/bin/quillon" /c /fd examples/Demo/Demo.cpd /fp Demo.cpk -q || fail "the installed quillon did not export"
    "$stage/usr/bin/quillon-cli" verify Demo.cpk --against examples/Demo/Demo.cpd >/dev/null ||
        fail "the package the installed quillon exported does not verify"
    "$stage/usr/bin/quillon-cli" check examples/Demo/Demo.cpd >/dev/null 2>&1 || fail "the installed quillon-cli check failed"
)

echo "== Debian package"
arch=$(dpkg --print-architecture)
deb=$build/quillon_${version}_$arch.deb
rm -f "$deb"
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
[ -f "$deb" ] || fail "cpack made no $(basename "$deb")"
info=$(dpkg-deb --info "$deb")
for field in "Package: quillon" "Version: $version" "Section: devel" "Priority: optional" "Homepage: " \
    "Depends: .*libqt6widgets6" "Depends: .*qt6-qpa-plugins" "Description: "; do
    grep -q "^ $field" <<<"$info" || fail "the package's control lacks '$field'"
done
contents=$(dpkg-deb --contents "$deb" | awk '{print $6}' | grep -v '/$' | sed 's|^\./||' | sort)
[ "$contents" = "$expected" ] || fail "the package holds other files than the install:
$(diff <(echo "$expected") <(echo "$contents") || true)"

echo "== lintian"
# Errors fail; every warning that remains must be explained in docs/packaging.md.
lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log"; fail "lintian reports errors"; }
cat "$work/lintian.log"
for tag in $(sed -n 's/^W: [^:]*: \([a-z0-9+.-]*\).*/\1/p' "$work/lintian.log" | sort -u); do
    grep -q -- "\`$tag\`" docs/packaging.md || fail "lintian warns '$tag', which docs/packaging.md does not explain"
done
echo "Installation checks passed: $(basename "$deb")"
