#!/usr/bin/env bash
# Installs the built program into a temporary prefix and checks the installed tree: the program
# finds its element table in share/pelmora when none lies beside it, the desktop entry passes
# desktop-file-validate and names the program, icon and XYZ type that are installed, and the
# shared-mime-info package registers *.xyz as chemical/x-xyz.
#
#   install_test.sh CMAKE BUILD_DIR SOURCE_DIR
#
# Exits 77 (skipped) when the desktop or mime tools are missing.
set -euo pipefail

cmake=$1
build=$2
source=$3
for tool in desktop-file-validate update-desktop-database update-mime-database; do
    command -v "$tool" >/dev/null || { echo "install_test: $tool is not installed, skipped"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0

fail() {
    echo "install_test: FAILED: $*"
    failures=$((failures + 1))
}

# A DESTDIR from the caller's environment would put the tree somewhere else.
env -u DESTDIR "$cmake" --install "$build" --prefix "$prefix" > "$work/install.log" \
    || { cat "$work/install.log"; echo "install_test: FAILED: cmake --install"; exit 1; }

for file in bin/pelmora share/pelmora/Atom.txt share/applications/pelmora.desktop \
            share/icons/hicolor/scalable/apps/pelmora.svg share/mime/packages/pelmora.xml; do
    [[ -f "$prefix/$file" ]] || fail "$file is not installed"
done
[[ -x "$prefix/bin/pelmora" ]] || fail "bin/pelmora is not executable"
[[ ! -e "$prefix/bin/Atom.txt" ]] || fail "bin/Atom.txt is installed, so the share lookup goes untested"

# The installed program, started from an unrelated folder, reads the element table from
# ../share/pelmora; without that table it reports the failure.
mkdir "$work/elsewhere"
info() {
    (cd "$work/elsewhere" && "$prefix/bin/pelmora" --info "$source/examples/benzene.xyz")
}
status=0
output=$(info 2> "$work/err") || status=$?
if [[ $status -ne 0 ]] || ! grep -Eq '^\{.*"atomsRead":12,.*\}$' <<< "$output"; then
    fail "the installed program did not read its element table (status $status): $output $(cat "$work/err")"
fi
mv "$prefix/share/pelmora/Atom.txt" "$work/Atom.txt"
status=0
info > /dev/null 2>&1 || status=$?
[[ $status -eq 1 ]] || fail "without share/pelmora/Atom.txt the installed program ended with $status, not 1"
mv "$work/Atom.txt" "$prefix/share/pelmora/Atom.txt"

# The desktop entry: valid, and naming what is installed.
desktop=$prefix/share/applications/pelmora.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects pelmora.desktop"
key() { sed -n "s/^$1=//p" "$desktop"; }
[[ $(key Exec | cut -d' ' -f1) == pelmora ]] || fail "Exec does not start the installed program: $(key Exec)"
[[ -f "$prefix/share/icons/hicolor/scalable/apps/$(key Icon).svg" ]] || fail "Icon names no installed icon: $(key Icon)"
update-desktop-database "$prefix/share/applications"
grep -qx 'chemical/x-xyz=pelmora.desktop;\?' "$prefix/share/applications/mimeinfo.cache" \
    || fail "the desktop entry does not open chemical/x-xyz: $(cat "$prefix/share/applications/mimeinfo.cache")"

# The mime package: compiled into a database of its own, *.xyz is chemical/x-xyz.
if command -v xmllint >/dev/null; then
    xmllint --noout "$prefix/share/mime/packages/pelmora.xml" "$prefix/share/icons/hicolor/scalable/apps/pelmora.svg" \
        || fail "pelmora.xml or pelmora.svg is not well-formed XML"
fi
update-mime-database "$prefix/share/mime" > "$work/mime.log" 2>&1 || fail "update-mime-database: $(cat "$work/mime.log")"
grep -Eq '^[0-9]+:chemical/x-xyz:\*\.xyz$' "$prefix/share/mime/globs2" \
    || fail "*.xyz is not registered as chemical/x-xyz"

if [[ $failures -ne 0 ]]; then
    echo "--- installed files"; (cd "$prefix" && find . -type f | sort)
    exit 1
fi
echo "install_test: passed"
