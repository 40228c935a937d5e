#!/usr/bin/env bash
# The optimising encoder against the quality factor over the Kodak photos:
# BD-rate of tamr-opt with tamr as the anchor on PSNR and SSIM (mean over
# the pictures, and each picture's), the pictures where it does worse, the
# points below the quality factor's PSNR at the same size, and the search
# time in compresses (a point's whole search over the quality factor's
# compress and decode of the same picture at the same size).
#
#   bench/optimiser_bdrate.sh [TAMR_CLI] [KODAK_FOLDER] [QUALITIES]
#
# The points run one at a time (--threads 1) so that their times compare;
# `evaluate --out` keeps them, so a rerun only codes what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${1:-build/default/tamr-cli}
corpus=${2:-../shared/corpus/photos/kodak}
qualities=${3:-10:90:10}
out=${OPTIMISER_BENCH_OUT:-build/optimiser-bench}
mkdir -p "$out"
"$cli" --quiet evaluate "$corpus" --codecs tamr,tamr-opt --anchor tamr --qualities "$qualities" \
  --metrics psnr,ssim --threads 1 --json --out "$out/points" >"$out/evaluation.json"
python3 - "$out/evaluation.json" <<'PY'
import json, sys
report = json.load(open(sys.argv[1]))
print(f"pictures: {report['picture_count']}, qualities: {report['qualities']}")
for bd in report["bd"]:
    if bd["codec"] != "tamr-opt":
        continue
    rates = [(p["picture"].split("/")[-1], p["bd_rate"]) for p in bd["per_picture"]]
    worse = [name for name, rate in rates if rate is not None and rate > 0]
    print(f"BD-rate {bd['metric'].upper()}: mean {bd['bd_rate']['mean']:.2f} %, "
          f"geometric mean {bd['bd_rate']['geometric_mean']:.2f} %, "
          f"best {min(r for _, r in rates):.2f} %, worst {max(r for _, r in rates):.2f} %, "
          f"pictures worse: {len(worse)} {worse}")
below = 0
points = 0
search = []
for picture in report["pictures"]:
    tamr = {p["quality"]: p for p in picture["points"] if p["codec"] == "tamr"}
    for p in picture["points"]:
        if p["codec"] != "tamr-opt" or p["quality"] not in tamr:
            continue
        q = tamr[p["quality"]]
        points += 1
        if p["bytes"] > q["bytes"] or p["psnr"] < q["psnr"]:
            below += 1
        search.append(p["encode_seconds"] / (q["encode_seconds"] + q["decode_seconds"]))
search.sort()
print(f"points: {points}, larger or below the quality factor's PSNR at its size: {below}")
print(f"search time in compresses: mean {sum(search) / len(search):.1f}, "
      f"median {search[len(search) // 2]:.1f}, largest {search[-1]:.1f}")
PY
