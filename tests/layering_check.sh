#!/usr/bin/env bash
# Fails when a room includes a header of a room it may not depend on:
# app -> browser -> dialogs, prompts, engine, banner -> common; the backend -> engine -> common.
set -euo pipefail
cd "${1:-.}"
allowed() {
  case "$1" in
    common) echo "common" ;;
    banner) echo "common banner" ;;
    engine) echo "common engine" ;;
    engine/qtwebengine) echo "common engine engine/qtwebengine" ;;
    dialogs) echo "common banner engine dialogs" ;;
    prompts) echo "common engine prompts" ;;
    browser) echo "common banner engine dialogs prompts browser" ;;
    app) echo "common banner engine engine/qtwebengine dialogs prompts browser app" ;;
  esac
}
bad=0
for room in common banner engine engine/qtwebengine dialogs prompts browser app; do
  for file in $(find "$room" -maxdepth 2 -name '*.h' -o -maxdepth 2 -name '*.cpp'); do
    own=$room
    [ "$room" = engine ] && [[ $file == engine/qtwebengine/* ]] && continue
    while read -r target; do
      dir=$(dirname "$target")
      [[ $dir == banner/swf ]] && dir=banner
      ok=0
      for a in $(allowed "$own"); do [ "$dir" = "$a" ] && ok=1; done
      if [ $ok -eq 0 ]; then echo "$file includes $target"; bad=1; fi
    done < <(grep -ho '#include "[a-z_]*/[a-z_/]*\.h"' "$file" | sed 's/#include "\(.*\)"/\1/')
  done
done
[ $bad -eq 0 ] && echo "layering: every include points down"
exit $bad
