#!/usr/bin/env bash
# Checks the Debian packages scripts/package makes: each one's control fields,
# dependencies and files (everything under /usr, nothing it should not hold,
# its copyright and changelog), lintian without errors or warnings, and that
# what it holds works when extracted: the programs run and carry the
# packages' version, the thumbnailer makes a picture of a COD file, and a C
# program builds against the development package and runs on the library,
# and the Python module codes as the command line does.
#   check_package.sh PICTURE PACKAGE.deb...
# PICTURE is any picture the extracted tamr-cli compresses.
set -u
export LC_ALL=C
picture=$(realpath "${1:?picture to compress}")
shift
[ $# -gt 0 ] || { echo "usage: $0 PICTURE PACKAGE.deb..."; exit 2; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
fail() { echo "FAIL: $package: $*"; status=1; }
field() { dpkg-deb -f "$deb" "$1"; }
depended() { field Depends | tr ',' '\n' | awk '{print $1}'; }

# Each package's files beside its copyright and changelog, as patterns (grep -E,
# whole names), and the packages its Depends must name.
files_of() {
  case $1 in
  tamr-cli) printf '%s\n' usr/bin/tamr-cli usr/share/man/man1/tamr-cli.1.gz \
    usr/share/bash-completion/completions/tamr-cli usr/share/mime/packages/tamr.xml \
    usr/share/icons/hicolor/scalable/mimetypes/application-x-tamr-cod.svg usr/share/thumbnailers/tamr.thumbnailer ;;
  tamr) printf '%s\n' usr/bin/tamr usr/share/man/man1/tamr.1.gz usr/share/applications/tamr.desktop \
    usr/share/icons/hicolor/scalable/apps/tamr.svg usr/share/metainfo/tamr.metainfo.xml \
    'usr/share/doc/tamr/html/[a-z]+\.html' ;;
  libtamr0) printf '%s\n' 'usr/lib/[a-z0-9_-]+/libtamr\.so\.0' 'usr/lib/[a-z0-9_-]+/libtamr\.so\.0\.[0-9.]+' ;;
  libtamr-dev) printf '%s\n' usr/include/tamr/tamr.h usr/include/tamr/tamr_version.h \
    'usr/lib/[a-z0-9_-]+/libtamr\.so' 'usr/lib/[a-z0-9_-]+/pkgconfig/tamr\.pc' ;;
  python3-tamr) printf '%s\n' usr/lib/python3/dist-packages/tamr/__init__.py \
    usr/lib/python3/dist-packages/tamr/pillow.py 'usr/lib/python3/dist-packages/tamr/_tamr\.cpython-[0-9]+-[a-z0-9_-]+\.so' ;;
  esac
}
depends_of() {
  case $1 in
  tamr-cli) echo libc6 libstdc++6 libjpeg62-turbo ;;
  tamr) echo libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libqt6svg6 tamr-cli ;;
  libtamr0) echo libc6 libstdc++6 libjpeg62-turbo ;;
  libtamr-dev) echo libtamr0 ;;
  python3-tamr) echo libc6 libstdc++6 python3 python3-numpy ;;
  esac
}

version=
for deb in "$@"; do
  deb=$(realpath "$deb")
  package=$(field Package)
  root=$scratch/$package
  mkdir -p "$root"
  [ -n "$(files_of "$package")" ] || { fail "no package of tamr's"; continue; }
  [ -z "$version" ] && version=$(field Version)
  [ "$(field Version)" == "$version" ] || fail "Version $(field Version), the others $version"
  [ "$(field Architecture)" == "$(dpkg --print-architecture)" ] || fail "Architecture is \"$(field Architecture)\""
  [ -n "$(field Section)" ] || fail "no Section"
  [ -n "$(field Maintainer)" ] || fail "no Maintainer"
  [ "$(field Description | wc -l)" -gt 3 ] || fail "the Description has no long text"
  # dpkg-shlibdeps found the shared libraries the programs link; nothing of
  # Qt but for the desktop program.
  for wanted in $(depends_of "$package"); do
    depended | grep -qxF "$wanted" || fail "Depends lacks $wanted: $(field Depends)"
  done
  if [ "$package" != tamr ] && depended | grep -qi qt; then
    fail "depends on Qt: $(field Depends)"
  fi
  # Nor through the libraries it depends on: what apt would install with it.
  if [ "$package" != tamr ] && [ "$package" != libtamr-dev ] && command -v apt-cache >/dev/null; then
    # shellcheck disable=SC2046
    pulled=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks --no-replaces \
      --no-enhances $(depended) 2>/dev/null | grep -v '^ ' | grep -i qt)
    [ -z "$pulled" ] || fail "pulls in Qt: $pulled"
  fi

  # No maintainer scripts and no conffiles: removing a package leaves nothing
  # behind. The library's shlibs and ldconfig trigger are data for dpkg.
  dpkg-deb -e "$deb" "$root/DEBIAN"
  allowed='control|md5sums'
  [ "$package" == libtamr0 ] && allowed='control|md5sums|shlibs|triggers'
  extra=$(ls "$root/DEBIAN" | grep -vxE "$allowed")
  [ -z "$extra" ] || fail "control files beyond $allowed: $extra"
  rm -rf "$root/DEBIAN"

  outside=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -vE '^\./(usr/.*)?$')
  [ -z "$outside" ] || fail "files outside /usr: $outside"
  dpkg-deb -x "$deb" "$root" || { fail "dpkg-deb -x"; continue; }
  present=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort)
  patterns=$(files_of "$package"; printf '%s\n' "usr/share/doc/$package/copyright" "usr/share/doc/$package/changelog.gz")
  while IFS= read -r pattern; do
    grep -qxE "$pattern" <<<"$present" || fail "$pattern missing"
  done <<<"$patterns"
  unexpected=$(grep -vxE -f <(printf '%s\n' "$patterns") <<<"$present")
  [ -z "$unexpected" ] || fail "files nobody asked for: $unexpected"
  gzip -t "$root/usr/share/doc/$package/changelog.gz" || fail "changelog.gz is no gzip file"
  zgrep -q "^$package ($version)" "$root/usr/share/doc/$package/changelog.gz" || fail "the changelog is not of $version"

  if command -v lintian >/dev/null; then
    # Errors and warnings only; the informational tags are advice.
    found=$(lintian --fail-on none "$deb" 2>&1 | grep -E '^[EW]: ')
    [ -z "$found" ] || fail "lintian: $found"
  fi
done

bin=$scratch/tamr-cli/usr/bin
for program in tamr tamr-cli; do
  package=$program
  [ -x "$scratch/$program/usr/bin/$program" ] || continue
  file -b "$scratch/$program/usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped"
  shown=$("$scratch/$program/usr/bin/$program" --version 2>&1)
  [ "$shown" == "$program $version" ] || fail "$program --version says \"$shown\", the package is $version"
  zgrep -q "tamr $version" "$scratch/$program/usr/share/man/man1/$program.1.gz" ||
    fail "$program(1) does not carry version $version"
done
if [ -x "$scratch/tamr/usr/bin/tamr" ]; then
  package=tamr
  "$scratch/tamr/usr/bin/tamr" --help | grep -q -- --screen-depth || fail "tamr --help does not show the options"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$scratch/tamr/usr/share/applications/tamr.desktop" || fail "desktop-file-validate"
  fi
fi
if [ -x "$bin/tamr-cli" ]; then
  package=tamr-cli
  "$bin/tamr-cli" compress "$picture" "$scratch/picture.cod" -q 50 >/dev/null ||
    fail "the extracted tamr-cli does not compress $picture"
  [ "$(head -c 6 "$scratch/picture.cod" 2>/dev/null)" == CIS3.0 ] || fail "the extracted tamr-cli wrote no COD file"
  # The thumbnailer's command, as a file manager fills it in.
  command=$(sed -n 's/^Exec=//p' "$scratch/tamr-cli/usr/share/thumbnailers/tamr.thumbnailer")
  command=${command//%i/$scratch/picture.cod}
  command=${command//%o/$scratch/thumbnail.png}
  command=${command//%s/64}
  PATH=$bin:$PATH $command || fail "the thumbnailer failed: $command"
  file -b "$scratch/thumbnail.png" 2>/dev/null | grep -qE '^PNG image data, [0-9]+ x [0-9]+' ||
    fail "the thumbnailer wrote no PNG picture"
fi
if [ -d "$scratch/python3-tamr" ] && [ -x /usr/bin/python3 ]; then
  package=python3-tamr
  # The extracted module, with Debian's python3, codes as the extracted tamr-cli does.
  PYTHONPATH=$scratch/python3-tamr/usr/lib/python3/dist-packages PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 - \
    "$picture" "$scratch/picture.cod" "$version" <<'PY' || fail "the extracted module does not code as tamr-cli"
import sys
import tamr
picture, cod, version = sys.argv[1:]
assert tamr.__version__ == version, tamr.__version__
coded = tamr.compress(tamr.read(picture), quality=50)
assert coded == open(cod, "rb").read(), "the bytes differ from tamr-cli's"
assert tamr.decompress(coded).shape[:2] == tamr.read(picture).shape[:2]
PY
fi
if [ -d "$scratch/libtamr-dev" ] && [ -d "$scratch/libtamr0" ]; then
  package=libtamr-dev
  # A program built with what the development package gives pkg-config.
  pc=$(find "$scratch/libtamr-dev" -name tamr.pc)
  libdir=$(dirname "$(find "$scratch/libtamr0" -name 'libtamr.so.0')")
  cp -a "$libdir"/libtamr.so.0* "$(dirname "$pc")/.."
  cat >"$scratch/use.c" <<'C'
#include <stdio.h>
#include <string.h>
#include <tamr/tamr.h>
int main(void)
{
    const unsigned char gray[4 * 4] = {0};
    tamr_picture* picture = NULL;
    tamr_error error;
    if (tamr_picture_from_pixels(gray, 4, 4, 1, 4, &picture, &error) != TAMR_OK)
        return 1;
    size_t size = 0;
    void* coded = NULL;
    const int done = tamr_compress_alloc(picture, NULL, &coded, &size, &error) == TAMR_OK;
    tamr_free(coded);
    tamr_picture_free(picture);
    printf("%s\n", tamr_version());
    return done && strcmp(tamr_version(), TAMR_VERSION_STRING) == 0 ? 0 : 1;
}
C
  # shellcheck disable=SC2046
  if cc -o "$scratch/use" "$scratch/use.c" $(PKG_CONFIG_PATH=$(dirname "$pc") pkg-config --cflags --libs tamr); then
    [ "$(LD_LIBRARY_PATH=$(dirname "$pc")/.. "$scratch/use")" == "$version" ] ||
      fail "a program built against libtamr-dev does not run on libtamr0"
  else
    fail "a C program does not build with pkg-config's flags for tamr"
  fi
fi

[ $status -eq 0 ] && echo "$# packages: version $version, every file in place, lintian clean"
exit $status
