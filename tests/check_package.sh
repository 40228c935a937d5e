#!/usr/bin/env bash
# Checks the Debian package that scripts/package makes: its control fields,
# that it installs everything tamr needs under /usr and nothing else, and that
# the programs extracted from it run and carry the package's version.
#   check_package.sh PACKAGE.deb PICTURE
# PICTURE is any picture the extracted tamr-cli compresses.
set -u
export LC_ALL=C
deb=$(realpath "${1:?package}")
picture=$(realpath "${2:?picture to compress}")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }
field() { dpkg-deb -f "$deb" "$1"; }

[ "$(field Package)" == tamr ] || fail "Package is \"$(field Package)\""
version=$(field Version)
[ -n "$version" ] || fail "no Version"
[ "$(field Architecture)" == "$(dpkg --print-architecture)" ] || fail "Architecture is \"$(field Architecture)\""
[ "$(field Section)" == graphics ] || fail "Section is \"$(field Section)\""
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ "$(field Description | wc -l)" -gt 3 ] || fail "the Description has no long text"
# dpkg-shlibdeps found the shared libraries the programs link.
depends=$(field Depends)
depended=$(tr ',' '\n' <<<"$depends" | awk '{print $1}')
for library in libc6 libstdc++6 libjpeg62-turbo libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libqt6svg6; do
  grep -qxF "$library" <<<"$depended" || fail "Depends lacks $library: $depends"
done

# Removing the package must leave nothing behind: no conffiles and no
# maintainer scripts that could make files of their own. The MIME, desktop,
# icon and manual databases follow through their own packages' triggers.
dpkg-deb -e "$deb" "$root/DEBIAN"
extra=$(ls "$root/DEBIAN" | grep -vxE 'control|md5sums')
[ -z "$extra" ] || fail "control files beyond control and md5sums: $extra"
rm -rf "$root/DEBIAN"

outside=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -vE '^\./(usr/.*)?$')
[ -z "$outside" ] || fail "files outside /usr: $outside"

dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x"; exit 1; }
share=$root/usr/share
expected=(
  usr/bin/tamr usr/bin/tamr-cli
  usr/share/applications/tamr.desktop usr/share/mime/packages/tamr.xml
  usr/share/icons/hicolor/scalable/apps/tamr.svg
  usr/share/icons/hicolor/scalable/mimetypes/application-x-tamr-cod.svg
  usr/share/man/man1/tamr.1.gz usr/share/man/man1/tamr-cli.1.gz
  usr/share/bash-completion/completions/tamr-cli
  usr/share/doc/tamr/html/index.html
)
for path in "${expected[@]}"; do
  [ -f "$root/$path" ] || fail "$path missing"
done
# Only what is listed above, the help pages and folders.
unexpected=$(cd "$root" && find . -type f | sed 's|^\./||' | grep -vxF -f <(printf '%s\n' "${expected[@]}") |
  grep -vE '^usr/share/doc/tamr/html/[a-z]+\.html$')
[ -z "$unexpected" ] || fail "files nobody asked for: $unexpected"

for program in tamr tamr-cli; do
  file -b "$root/usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped"
  shown=$("$root/usr/bin/$program" --version 2>&1)
  [ "$shown" == "$program $version" ] || fail "$program --version says \"$shown\", the package is $version"
done
"$root/usr/bin/tamr" --help | grep -q -- --screen-depth || fail "tamr --help does not show the options"
for page in tamr tamr-cli; do
  gzip -t "$share/man/man1/$page.1.gz" || fail "$page.1.gz is no gzip file"
  zgrep -q "tamr $version" "$share/man/man1/$page.1.gz" || fail "$page(1) does not carry version $version"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$share/applications/tamr.desktop" || fail "desktop-file-validate"
fi

"$root/usr/bin/tamr-cli" compress "$picture" "$root/picture.cod" -q 50 >/dev/null ||
  fail "the extracted tamr-cli does not compress $picture"
[ "$(head -c 6 "$root/picture.cod" 2>/dev/null)" == CIS3.0 ] || fail "the extracted tamr-cli wrote no COD file"

[ $status -eq 0 ] && echo "$(basename "$deb"): version $version, every file in place"
exit $status
