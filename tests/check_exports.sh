#!/usr/bin/env bash
# Fails when the shared library exports anything but its C interface: every
# defined dynamic symbol is a tamr_ function (or the version node TAMR_0 of
# src/capi/tamr.map), and the SONAME is libtamr.so.0.
#   check_exports.sh LIBRARY
set -u
library=${1:?shared library}
status=0
symbols=$(nm -D --defined-only "$library" | awk '{print $3}' | sed 's/@.*//')
[ -n "$symbols" ] || { echo "FAIL: $library exports nothing"; exit 1; }
others=$(grep -vE '^(tamr_[a-z0-9_]+|TAMR_0)$' <<<"$symbols")
[ -z "$others" ] && echo "$(wc -l <<<"$symbols") symbols, all of the C interface" ||
  { echo "FAIL: exported beside the C interface:"; echo "$others" | head -20; status=1; }
soname=$(objdump -p "$library" | awk '$1 == "SONAME" {print $2}')
[ "$soname" == libtamr.so.0 ] || { echo "FAIL: SONAME is \"$soname\""; status=1; }
exit $status
