#!/bin/sh
# Checks a built Debian package the way a desktop and a user meet it: installs it into a
# scratch root with dpkg, looks for every file where the desktop looks for it, runs the
# validators (desktop-file-validate, appstreamcli, lintian), starts the installed program
# from its menu entry on a fresh home folder, then removes the package and checks that the
# user's ledger stays.
# Usage: sh tests/package/package_test.sh DEB BUILD-DIR
set -eu
deb=$(readlink -f "$1")
build=$(readlink -f "$2")
top=$(cd "$(dirname "$0")/../.." && pwd)
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
pass() {
    echo "ok: $*"
}
# Says ok for a section when it added no failure.
section_failures=0
section() {
    section_failures=$failures
    echo "== $*"
}
passed() {
    [ "$failures" -eq "$section_failures" ] && pass "$*"
    return 0
}

version=$(dpkg-deb -f "$deb" Version)
echo "== $(basename "$deb"): $(du -k "$deb" | cut -f1) KiB, installed $(dpkg-deb -f "$deb" Installed-Size) KiB"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || fail "dependencies are not computed from the libraries"
dpkg-deb -f "$deb" Depends | grep -q "fonts-wqy-microhei" || fail "no Chinese font among the dependencies"

# A scratch root with an empty dpkg database; the package has no maintainer scripts, so
# nothing needs to run inside it. Its dependencies live on the host, not in the root.
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg --root="$root" --log=/dev/null --force-depends --force-not-root -i "$deb" >/dev/null 2>&1
dpkg --root="$root" -s coffer | grep -q "install ok installed" || fail "dpkg --root did not install"

section "files where the desktop looks for them"
for file in usr/bin/coffer usr/bin/coffer-initdb usr/bin/coffer-launch; do
    [ -x "$root/$file" ] || fail "/$file missing or not executable"
done
# Every program built in tools/ is installed, with its manual page, and answers --version.
for tool in "$build"/tools/*; do
    [ -f "$tool" ] && [ -x "$tool" ] || continue
    [ -x "$root/usr/bin/$(basename "$tool")" ] || fail "tool $(basename "$tool") not in /usr/bin"
done
for program in "$root"/usr/bin/*; do
    name=$(basename "$program")
    [ -f "$root/usr/share/man/man1/$name.1.gz" ] || fail "no manual page for $name"
    answer=$(env -u DISPLAY QT_QPA_PLATFORM=offscreen "$program" --version 2>&1) || true
    [ "$answer" = "$name $version" ] || fail "$name --version says '$answer', not '$name $version'"
done
for page in "$top"/res/man/*.1; do
    [ -f "$root/usr/share/man/man1/$(basename "$page").gz" ] || fail "$(basename "$page") not installed"
    LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null | grep . &&
        fail "$(basename "$page") has troff warnings"
done
desktop="$root/usr/share/applications/coffer.desktop"
[ -f "$desktop" ] || fail "no desktop entry"
grep -qx "Exec=/usr/bin/coffer-launch" "$desktop" || fail "desktop entry does not run /usr/bin/coffer-launch"
grep -qx "Icon=coffer" "$desktop" || fail "desktop entry names no theme icon"
metainfo="$root/usr/share/metainfo/example.lanzhoufang.coffer.metainfo.xml"
[ -f "$metainfo" ] || fail "no AppStream metainfo"
grep -q '<launchable type="desktop-id">coffer.desktop</launchable>' "$metainfo" ||
    fail "metainfo does not launch the desktop entry"
for size in 16 22 24 32 48 64 128 256; do
    icon="$root/usr/share/icons/hicolor/${size}x$size/apps/coffer.png"
    file "$icon" 2>/dev/null | grep -q "PNG image data, $size x $size" ||
        fail "hicolor icon ${size}x$size missing or of another size"
done
grep -q "<svg" "$root/usr/share/icons/hicolor/scalable/apps/coffer.svg" || fail "no scalable icon"
for doc in copyright changelog.gz; do
    [ -f "$root/usr/share/doc/coffer/$doc" ] || fail "no /usr/share/doc/coffer/$doc"
done
passed "files in place"

echo "== desktop-file-validate"
desktop-file-validate "$desktop" && pass "desktop entry valid" || fail "desktop entry invalid"
echo "== appstreamcli validate"
appstreamcli validate --no-net "$metainfo" && pass "metainfo valid" || fail "metainfo invalid"
echo "== lintian"
# Warnings and errors fail; the informational tags are shown for the record.
lintian_out=$(lintian --display-info --display-experimental --tag-display-limit 0 "$deb" 2>&1 |
    grep -v "running with root privileges") || true
[ -n "$lintian_out" ] && echo "$lintian_out"
if echo "$lintian_out" | grep -q "^[EW]: "; then
    fail "lintian reports errors or warnings"
else
    pass "lintian: no errors, no warnings"
fi

section "first start from the menu entry, on a fresh home folder"
home="$root/home/ann"
mkdir -p "$home"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
errors=$(cd / && env -u XDG_RUNTIME_DIR HOME="$home" XDG_DATA_HOME= QT_QPA_PLATFORM=offscreen \
    timeout -s TERM 4 "$root$exec_line" 2>&1 >/dev/null) && status=0 || status=$?
[ "$status" -eq 124 ] || fail "the installed program ended at once (status $status): $errors"
ledger="$home/.local/share/coffer/data.mdb"
[ -s "$ledger" ] || fail "no starter ledger at ~/.local/share/coffer/data.mdb"
expected="coffer: this desktop has no notification area (system tray); closing the window ends the program."
[ "$errors" = "$expected" ] || fail "standard error on a normal start: '$errors'"
passed "started on a starter ledger in the data folder, standard error quiet"

section "removing the package"
dpkg --root="$root" --log=/dev/null --force-depends --force-not-root -r coffer >/dev/null 2>&1
[ -e "$root/usr/bin/coffer" ] && fail "/usr/bin/coffer still there after removal"
[ -e "$desktop" ] && fail "desktop entry still there after removal"
[ -s "$ledger" ] && pass "the user's ledger stays" || fail "removal took the user's ledger"

if [ "$failures" -ne 0 ]; then
    echo "package test: $failures failure(s)"
    exit 1
fi
echo "package test: all passed"
