#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the desktop integration:
# the program, its menu entry, the COD file type and the icons.
set -u
build=${1:?build folder}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }

[ -x "$prefix/bin/tamr" ] || fail "bin/tamr missing"
desktop=$prefix/share/applications/tamr.desktop
mime=$prefix/share/mime/packages/tamr.xml
[ -f "$desktop" ] || fail "tamr.desktop missing"
[ -f "$mime" ] || fail "MIME type missing"
[ -f "$prefix/share/icons/hicolor/scalable/apps/tamr.svg" ] || fail "program icon missing"
[ -f "$prefix/share/icons/hicolor/scalable/mimetypes/application-x-tamr-cod.svg" ] || fail "document icon missing"

grep -qx "Type=Application" "$desktop" || fail "desktop entry: Type"
grep -qx "Exec=tamr %F" "$desktop" || fail "desktop entry: Exec"
grep -qx "Icon=tamr" "$desktop" || fail "desktop entry: Icon"
grep -q "^MimeType=.*application/x-tamr-cod;" "$desktop" || fail "desktop entry: MimeType"
grep -q '<mime-type type="application/x-tamr-cod">' "$mime" || fail "MIME type name"
grep -q "<comment>Tamr Document</comment>" "$mime" || fail "MIME comment"
grep -q '<glob pattern="\*.cod"/>' "$mime" || fail "MIME glob"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop" || fail "desktop-file-validate"; fi
if command -v xmllint >/dev/null; then xmllint --noout "$mime" || fail "MIME file is not well-formed XML"; fi

[ $status -eq 0 ] && echo "desktop integration installed"
exit $status
