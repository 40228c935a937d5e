#!/usr/bin/env bash
# Fails when a lower layer includes a header of a higher one.
set -u
src=${1:?source folder}
status=0
check() {
  local folder=$1; shift
  [ -d "$src/$folder" ] || return 0
  for forbidden in "$@"; do
    hits=$(grep -rnE "#include +\"$forbidden/" "$src/$folder" 2>/dev/null)
    if [ -n "$hits" ]; then
      echo "$folder must not include $forbidden/:"; echo "$hits"; status=1
    fi
  done
}
check platform codec image view app cli
check codec image view app cli
check image view app cli
check view/enhance app cli view/qt
check app/document app/qt view/qt cli
check cli app/qt view/qt
[ $status -eq 0 ] && echo "layers point one way"
exit $status
