#!/usr/bin/env bash
# Peak resident memory of tamr-cli compress, encode (--quiet compress into a
# COD file, which does not decode), convert and decompress on large
# generated pictures (noise and a smooth gradient) and on any pictures named,
# against the decoded picture P = width x height x 3 bytes and the goal of
# 1.5 P + 32 MiB. Not part of the suite: it takes a minute or two.
#   bench/peak_memory.sh [CLI] [WIDTH] [HEIGHT] [PICTURE...]
# CLI is build/default/tamr-cli unless named (scripts/build default tamr-cli builds it)
set -euo pipefail
cli=${1:-build/default/tamr-cli}
width=${2:-4000}
height=${3:-3000}
shift $(($# < 3 ? $# : 3))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$work" "$width" "$height" <<'PY'
import os, sys
work, w, h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
header = b'P6\n%d %d\n255\n' % (w, h)
with open(os.path.join(work, 'noise.ppm'), 'wb') as f:
    f.write(header + os.urandom(w * h * 3))
with open(os.path.join(work, 'gradient.ppm'), 'wb') as f:
    f.write(header)
    for y in range(h):
        f.write(bytes(v for x in range(w) for v in (x * 255 // w, y * 255 // h, (x + y) * 255 // (w + h))))
PY
peak() { # prints the peak resident memory of the command in KiB
  /usr/bin/time -f %M -o "$work/rss" "$@" >/dev/null 2>&1 || echo "failed: $*" >&2
  cat "$work/rss"
}
printf '%-14s %-10s %10s %8s %8s\n' picture command "peak KiB" "x P" "goal"
for picture in "$work/noise.ppm" "$work/gradient.ppm" "$@"; do
  name=$(basename "$picture")
  "$cli" convert "$picture" "$work/picture.ppm" >/dev/null 2>&1
  size=$(head -c 64 "$work/picture.ppm" | tr '\n' ' ' | awk '{print $2 * $3 * 3}')
  goal=$((size * 3 / 2 / 1024 + 32 * 1024))
  for command in compress encode convert decompress; do
    case $command in
    compress) kib=$(peak "$cli" compress "$picture" "$work/out.cod") ;;
    encode) kib=$(peak "$cli" --quiet compress "$picture" "$work/out.cod") ;;
    convert) kib=$(peak "$cli" convert "$picture" "$work/out.bmp") ;;
    decompress) kib=$(peak "$cli" decompress "$work/out.cod" "$work/decoded.bmp") ;;
    esac
    verdict=$([ "$kib" -le "$goal" ] && echo met || echo missed)
    printf '%-14s %-10s %10d %8.2f %8s\n' "$name" "$command" "$kib" "$(echo "$kib * 1024 / $size" | bc -l)" "$verdict"
  done
done
