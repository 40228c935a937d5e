#!/usr/bin/env bash
# Wall time, CPU time and peak memory of tamr-cli evaluate over a folder of
# pictures (the Kodak set by default) with tamr, JPEG, JPEG 2000 and WebP at
# ten qualities and PSNR, PSNR-Y and SSIM:
#   - a first run that codes every point,
#   - a second run on the same results folder, with nothing left to do,
#   - a first run over half the pictures, whose peak should be the whole
#     set's: memory is bounded by the points in flight, not by the dataset.
# Not part of the suite: it takes a few minutes.
#   bench/evaluate_dataset.sh [CLI] [FOLDER] [THREADS]
set -euo pipefail
cli=${1:-build/default/tamr-cli}
folder=${2:-../shared/corpus/photos/kodak}
threads=${3:-$(nproc)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mapfile -t pictures < <(find "$folder" -maxdepth 1 -type f \( -name '*.png' -o -name '*.ppm' -o -name '*.bmp' \) | sort)
[ ${#pictures[@]} -gt 0 ] || { echo "no pictures in $folder" >&2; exit 1; }
half=("${pictures[@]:0:$(((${#pictures[@]} + 1) / 2))}")

run() { # LABEL OUT PICTURES...: one evaluate, its times and peak
  local label=$1 out=$2
  shift 2
  /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$cli" evaluate "$@" --codecs tamr,jpeg,jp2,webp \
    --qualities 5:95:10 --metrics psnr,psnr_y,ssim --threads "$threads" --out "$out" --json >"$work/report.json"
  awk -v label="$label" -v n="$#" '{ printf "%-22s %8d %9.1f %9.1f %10d\n", label, n, $1, $2 + $3, $4 }' "$work/time"
}

printf '%-22s %8s %9s %9s %10s\n' run pictures "wall s" "CPU s" "peak KiB"
run "first" "$work/all" "${pictures[@]}"
run "again, nothing to do" "$work/all" "${pictures[@]}"
run "first, half the set" "$work/half" "${half[@]}"
