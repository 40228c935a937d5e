#!/usr/bin/env bash
# How long the desktop program leaves its window without an answer while it
# works on a large picture: on a virtual X server with a window manager, a
# probe pings the main window (as window managers do, _NET_WM_PING) while
# the program opens a generated photo-like picture (6000 x 4000 unless sizes
# are given), compresses it, recompresses it from the figures panel's slider,
# zooms and pans it, and shows it in the compare window. Prints each step's
# longest answer against the aim of 100 ms. Not part of the suite.
#   bench/ui_stalls.sh [BUILD] [WIDTH] [HEIGHT]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
width=${2:-6000}
height=${3:-4000}

if [ "${UI_STALLS_INSIDE:-}" != 1 ]; then
  scripts/install-screenshot-deps
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  /usr/bin/python3 - "$work/picture.ppm" "$width" "$height" <<'PY'
import sys
import numpy as np
path, w, h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
y, x = np.mgrid[0:h, 0:w].astype(np.float32)
rng = np.random.default_rng(1)
picture = np.stack([128 + 100 * np.sin(x / 97) * np.cos(y / 61),
                    128 + 90 * np.cos((x + y) / 143),
                    (x + y) * 255 / (w + h)], axis=-1)
picture += rng.normal(0, 6, picture.shape)
with open(path, 'wb') as f:
    f.write(b'P6\n%d %d\n255\n' % (w, h))
    f.write(np.clip(picture, 0, 255).astype(np.uint8).tobytes())
PY
  UI_STALLS_INSIDE=1 UI_STALLS_PICTURE="$work/picture.ppm" \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$width" "$height"
  exit
fi

config=$(mktemp -d)
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null || true; rm -rf "$config"' EXIT
sleep 1
steps=maximize,figures,compress,finish,quality:30,finish,quality:80,finish
steps+=,stepin,stepin,pan,stepout,stepout,stepout,pan,fit,actualsize,pan
steps+=,comparewindow,finish,heatmap,finish,zoom:400,pan,quit
XDG_CONFIG_HOME=$config TAMR_AUTOMATION=$steps \
  /usr/bin/python3 bench/ui_ping_probe.py -- "$build/tamr" "$UI_STALLS_PICTURE"
