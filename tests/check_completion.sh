#!/usr/bin/env bash
# Drives the bash completion of tamr-cli as bash would and checks what it
# offers: every subcommand and option the program's --help lists, and file
# names filtered by the kinds each subcommand takes.
#   check_completion.sh TAMR-CLI COMPLETION-SCRIPT
# Skips (status 77) when bash-completion is not installed.
set -u
export LC_ALL=C
cli=$(realpath "${1:?tamr-cli}")
script=$(realpath "${2:?completion script}")
helpers=/usr/share/bash-completion/bash_completion
[ -f "$helpers" ] || { echo "bash-completion is not installed"; exit 77; }
# shellcheck source=/dev/null
source "$helpers"
# shellcheck source=/dev/null
source "$script"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
touch a.bmp B.COD c.txt d.gif e.JPG f.tga
mkdir folder

status=0
fail() { echo "FAIL: $*"; status=1; }

# What completing the last of the words offers, sorted, one a line.
offers() {
  COMP_WORDS=("$cli" "$@")
  COMP_CWORD=$#
  COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _tamr_cli tamr-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2>/dev/null
  [ ${#COMPREPLY[@]} -eq 0 ] || printf '%s\n' "${COMPREPLY[@]}" | sort
}
expect() { # EXPECTED WORDS...: the offers, as "a b c" sorted
  local expected=$1
  shift
  local got
  got=$(offers "$@" | tr '\n' ' ' | sed 's/ $//')
  [ "$got" == "$expected" ] || fail "tamr-cli $* <TAB>: offered \"$got\", expected \"$expected\""
}
offers_all() { # NAMES WORDS...: every one of the names is offered
  local names=$1 name offered
  shift
  offered=$(offers "$@")
  for name in $names; do
    grep -qxF -- "$name" <<<"$offered" || fail "tamr-cli $* <TAB>: $name not offered"
  done
}

help=$("$cli" --help)
subcommands=$(sed -nE '/^Subcommands:/,/^$/ s/^  ([a-z][a-z0-9-]*) .*/\1/p' <<<"$help")
[ -n "$subcommands" ] || fail "tamr-cli --help lists no subcommands"
offers_all "$subcommands" ""
offers_all "--help --version" -
expect "compare compress" comp
for subcommand in $subcommands; do
  options=$("$cli" "$subcommand" --help | sed -nE '/^Options:/,/^$/ s/^  (-[^ ]+).*/\1/p' | tr ',' ' ')
  offers_all "$options" "$subcommand" -
done

# Every ending the help lists under "Pictures" (the kinds of this build) is
# offered for a picture, and nothing else.
endings=$(sed -nE '/^Pictures/,/^$/ { /^  /p }' <<<"$help" | grep -oE '\.[a-z0-9]+' | tr -d .)
[ -n "$endings" ] || fail "tamr-cli --help lists no kinds of picture"
for ending in $endings; do touch "folder/p.$ending"; done
touch folder/p.txt
expect "$(for ending in $endings; do echo "folder/p.$ending"; done | sort | tr '\n' ' ' | sed 's/ $//')" info folder/

# File names by kind; folders are always offered to walk into.
expect "B.COD folder" decompress ""
expect "a.bmp folder" decompress B.COD ""
expect "B.COD a.bmp d.gif e.JPG f.tga folder" compress ""
expect "B.COD a.bmp folder" compress a.bmp ""
expect "B.COD a.bmp folder" compress -q 50 --threads=2 a.bmp ""
expect "" compress a.bmp out.cod ""
expect "B.COD a.bmp d.gif e.JPG f.tga folder" batch --out folder -q 60 a.bmp ""
expect "folder" batch --out ""
expect "a.bmp folder" compress a.bmp out.cod --decoded ""
expect "" compress a.bmp out.cod --levels ""
expect "pgm png ppm" convert a.bmp - --format p
expect "Smooth" filter a.bmp out.bmp --name Sm
expect 'Edge\ detect Edge\ enhance Edge\ enhance+' filter a.bmp out.bmp --name Edge
expect "B.COD a.bmp c.txt d.gif e.JPG f.tga folder" not-yet-known ""
expect "B.COD a.bmp d.gif e.JPG f.tga folder" thumbnail ""
expect "folder" thumbnail B.COD ""
# The peers of --peers are those sweep --help names, a list after commas too.
peers=$("$cli" sweep --help | sed -nE 's/.*the other codecs: (.*), separated by commas.*/\1/p' | tr -d ',')
[ -n "$peers" ] || fail "tamr-cli sweep --help names no peers"
offers_all "$peers none" sweep a.bmp --peers ""
expect "jp2 jpeg" sweep a.bmp --peers jp
# The maps of compare --map, the figures of --metrics (a list after commas too), a written picture for --map-out.
expect "absolute butteraugli ssim" compare a.bmp B.COD --map ""
expect "psnr,ms_ssim" compare a.bmp B.COD --metrics psnr,ms_
offers_all "psnr_rgb ssim default all" sweep a.bmp --metrics ""
expect "a.bmp folder" compare a.bmp B.COD --map-out ""
expect "jpeg,webp" sweep a.bmp --peers jpeg,we
# evaluate: pictures and folders; folders for --out and --merge; the codecs, tamr too; the fits.
expect "B.COD a.bmp d.gif e.JPG f.tga folder" evaluate folder ""
expect "folder" evaluate --merge ""
offers_all "tamr $peers" evaluate a.bmp --codecs ""
expect "tamr,jpeg" evaluate a.bmp --codecs tamr,jpe
expect "pchip" evaluate a.bmp --bd-method p

[ $status -eq 0 ] && echo "completion offers every subcommand, option and the right files"
exit $status
