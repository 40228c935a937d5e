#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the desktop integration:
# the programs, the menu entry, the COD file type and the icons; and what is
# read about them: the manual pages, the completion and the help pages; and
# the shared library with its header and pkg-config file.
set -u
build=${1:?build folder}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }

[ -x "$prefix/bin/tamr" ] || fail "bin/tamr missing"
[ -x "$prefix/bin/tamr-cli" ] || fail "bin/tamr-cli missing"
for page in tamr tamr-cli; do
  gzip -t "$prefix/share/man/man1/$page.1.gz" 2>/dev/null || fail "manual page $page(1) missing"
done
[ -f "$prefix/share/bash-completion/completions/tamr-cli" ] || fail "completion missing"
for page in "$(dirname "$0")"/../res/help/*.html; do
  [ -f "$prefix/share/doc/tamr/html/$(basename "$page")" ] || fail "help page $(basename "$page") missing"
done
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
grep -q "^MimeType=.*image/jpeg;" "$desktop" || fail "desktop entry: MimeType lists no pictures"
grep -q "{{" "$desktop" && fail "the desktop entry has a placeholder left unfilled"
zgrep -q "{{" "$prefix/share/man/man1/"*.1.gz && fail "a manual page has a placeholder left unfilled"
grep -q '<mime-type type="application/x-tamr-cod">' "$mime" || fail "MIME type name"
grep -q "<comment>Tamr Document</comment>" "$mime" || fail "MIME comment"
grep -q '<glob pattern="\*.cod"/>' "$mime" || fail "MIME glob"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop" || fail "desktop-file-validate"; fi
if command -v xmllint >/dev/null; then xmllint --noout "$mime" || fail "MIME file is not well-formed XML"; fi
metainfo=$prefix/share/metainfo/tamr.metainfo.xml
[ -f "$metainfo" ] || fail "AppStream metainfo missing"
if command -v xmllint >/dev/null; then xmllint --noout "$metainfo" || fail "metainfo is not well-formed XML"; fi
grep -qx "Exec=tamr-cli --quiet thumbnail %i %o --size %s" "$prefix/share/thumbnailers/tamr.thumbnailer" ||
  fail "thumbnailer missing or not running tamr-cli thumbnail"

# The shared library, its header and pkg-config file.
libdir=$(dirname "$(find "$prefix" -name libtamr.so.0 | head -1)")
[ -f "$libdir/libtamr.so.0" ] || fail "libtamr.so.0 missing"
[ -L "$libdir/libtamr.so" ] || fail "the link libtamr.so missing"
[ -f "$prefix/include/tamr/tamr.h" ] && [ -f "$prefix/include/tamr/tamr_version.h" ] || fail "header missing"
pc=$libdir/pkgconfig/tamr.pc
[ -f "$pc" ] || fail "tamr.pc missing"
if command -v pkg-config >/dev/null && [ -f "$pc" ]; then
  [ "$(PKG_CONFIG_PATH=$libdir/pkgconfig pkg-config --modversion tamr)" == "$(sed -n 's/^Version: //p' "$pc")" ] ||
    fail "pkg-config does not read tamr.pc"
  [ -f "$(PKG_CONFIG_PATH=$libdir/pkgconfig pkg-config --variable=includedir tamr)/tamr/tamr.h" ] ||
    fail "tamr.pc does not lead to the installed header"
fi

[ $status -eq 0 ] && echo "desktop integration installed"
exit $status
