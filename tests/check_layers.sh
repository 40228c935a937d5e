#!/usr/bin/env bash
# Fails when a layer includes a header of a layer above it, or when Qt is
# included outside the desktop program. The order, lowest first:
#   platform < codec < image < peers < enhance < document < evaluate < {cli, gui, capi, python}
# and the Python module above the command line, whose readings of options it shares:
#   cli < python
set -u
src=${1:?source folder}
layers=(platform codec image peers enhance document evaluate)
tops=(cli gui capi python)
status=0
report() { echo "$1"; echo "$2"; status=1; }

for folder in "$src"/*/; do
  name=$(basename "$folder")
  case " ${layers[*]} ${tops[*]} " in
    *" $name "*) ;;
    *) report "src/$name is no layer; add it to the order in $0" "" ;;
  esac
done

# Each layer may include itself and the layers below it only.
for ((i = 0; i < ${#layers[@]}; i++)); do
  folder=${layers[$i]}
  forbidden=("${layers[@]:i+1}" "${tops[@]}")
  for above in "${forbidden[@]}"; do
    hits=$(grep -rnE "#include +\"$above/" "$src/$folder" 2>/dev/null)
    [ -n "$hits" ] && report "$folder must not include $above/:" "$hits"
  done
done
# The front ends (the command line, the desktop program, the C interface of
# the shared library, the Python module) do not include each other, but for
# the Python module's use of the command line's readings.
for front in "${tops[@]}"; do
  for other in "${tops[@]}"; do
    [ "$front" == "$other" ] && continue
    [ "$front" == python ] && [ "$other" == cli ] && continue
    hits=$(grep -rnE "#include +\"$other/" "$src/$front" 2>/dev/null)
    [ -n "$hits" ] && report "$front must not include $other/:" "$hits"
  done
done

# Qt belongs to the desktop program alone.
hits=$(grep -rnE '#include +<Q[A-Za-z]*(/|>)|#include +<qt' --include='*.h' --include='*.cpp' "$src" | grep -v "^$src/gui/")
[ -n "$hits" ] && report "Qt outside src/gui:" "$hits"

[ $status -eq 0 ] && echo "layers point one way"
exit $status
