#!/usr/bin/env bash
# Sends SIGTERM or SIGINT at a random moment to threaded sweeps that write
# their points (--out), and counts the temporary files (.NAME.tamr-XXXXXX)
# left behind. Not part of the suite: it takes a few minutes.
#   bench/sweep_signal_debris.sh [RUNS] [CLI] [PICTURE] [LATEST_MS]
# CLI and PICTURE are build/default/tamr-cli and tamr-sample.bmp unless named
# (scripts/build default tamr-cli tamr-sample builds both).
# The signal comes 0 to LATEST_MS (default 1000) milliseconds after the start;
# runs that end before it count as not ended by the signal.
set -u
# Job control: background jobs keep the default action of SIGINT.
set -m
runs=${1:-200}
cli=${2:-build/default/tamr-cli}
picture=${3:-build/default/tamr-sample.bmp}
latest=${4:-1000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
left=0
runsLeaving=0
interrupted=0
for ((run = 0; run < runs; run++)); do
  folder=$work/points-$run
  "$cli" sweep "$picture" --qualities 0:95:5 --peers none --threads 4 --out "$folder" \
    >/dev/null 2>&1 &
  child=$!
  delay=$(((RANDOM * 32768 + RANDOM) % (latest + 1)))
  sleep "$((delay / 1000)).$(printf '%03d' $((delay % 1000)))"
  if ((run % 2)); then kill -INT "$child" 2>/dev/null; else kill -TERM "$child" 2>/dev/null; fi
  wait "$child"
  (($? > 128)) && ((interrupted++))
  count=$(find "$folder" -name '.*.tamr-*' 2>/dev/null | wc -l)
  left=$((left + count))
  ((count > 0)) && ((runsLeaving++))
  rm -rf "$folder"
done
echo "runs: $runs, ended by the signal: $interrupted, runs leaving temporaries: $runsLeaving, temporaries left: $left"
