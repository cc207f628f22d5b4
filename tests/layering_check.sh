#!/usr/bin/env bash
# Fails when a room includes a header of a room it may not depend on:
# app -> browser -> dialogs, prompts, engine, banner -> common; the backend -> engine -> common.
# The backend's own floors point one way too: its door (the engine object, the set-up) -> page
# -> questions -> setup -> addresses. The program reaches the backend only through its door
# and setup (the engine's version, the warm start).
set -euo pipefail
cd "${1:-.}"
be=engine/qtwebengine
allowed() {
  case "$1" in
    common) echo "common" ;;
    banner) echo "common banner" ;;
    engine) echo "common engine" ;;
    $be/addresses) echo "common engine $be/addresses" ;;
    $be/setup) echo "common engine $be/addresses $be/setup" ;;
    $be/questions) echo "common engine $be/addresses $be/setup $be/questions" ;;
    $be/page) echo "common engine $be/addresses $be/setup $be/questions $be/page" ;;
    $be) echo "common engine $be/addresses $be/setup $be/questions $be/page $be" ;;
    dialogs) echo "common banner engine dialogs" ;;
    prompts) echo "common engine prompts" ;;
    browser) echo "common banner engine dialogs prompts browser" ;;
    app) echo "common banner engine $be $be/setup dialogs prompts browser app" ;;
  esac
}
bad=0
for room in common banner banner/swf engine $be $be/addresses $be/setup $be/questions $be/page dialogs prompts browser app; do
  own=${room%/swf}
  for file in $(find "$room" -maxdepth 1 \( -name '*.h' -o -name '*.cpp' \)); do
    while read -r target; do
      dir=$(dirname "$target")
      [[ $dir == banner/swf ]] && dir=banner
      ok=0
      for a in $(allowed "$own"); do [ "$dir" = "$a" ] && ok=1; done
      if [ $ok -eq 0 ]; then echo "$file includes $target"; bad=1; fi
    done < <(grep -ho '#include "[a-z_]*/[a-z_/]*\.h"' "$file" | sed 's/#include "\(.*\)"/\1/')
  done
done
# Every folder of the backend is one of its floors: a new one must be placed among them.
for dir in $(find $be -mindepth 1 -type d); do
  [ -n "$(allowed "$dir")" ] || { echo "$dir is not one of the backend's floors"; bad=1; }
done
[ $bad -eq 0 ] && echo "layering: every include points down"
exit $bad
