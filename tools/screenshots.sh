#!/usr/bin/env bash
# Starts the browser on the current (virtual) display, saves a screenshot of the splash
# and of the first browser window, then closes the program.
#   screenshots.sh <quillon binary> <output folder>
set -euo pipefail
bin=$1 out=$2
mkdir -p "$out"
"$bin" 2>"$out/stderr.txt" &
pid=$!
sleep 0.8
import -window root "$out/splash.png"
# The browser window follows after 1.5 s; give the home page time to load.
for _ in $(seq 1 50); do
  xdotool search --name "Quillon" >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 3
import -window root "$out/browser.png"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
