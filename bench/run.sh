#!/usr/bin/env bash
# The benchmark: builds Release in build-bench/, installs the peers from Debian when they are
# missing, then measures ours, the floor (bench/bare_view), the peers and the banner player
# under one Xvfb and prints the table (also written to bench/results/latest.md).
#   bench/run.sh [--runs N] [--only ours,floor,falkon,surf,netsurf,banners] [--shots DIR] ...
# Started by ./quillon bench, which has installed the build's own packages.
set -euo pipefail
ROOT=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
BUILD=$ROOT/build-bench

say() { printf 'bench: %s\n' "$*" >&2; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# The peers (and what the harness drives X with).
PEERS=(falkon surf netsurf-gtk xvfb xauth x11-utils xdotool imagemagick python3)
missing=()
for p in "${PEERS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  say "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! as_root apt-get install -y -q --no-install-recommends "${missing[@]}" >/tmp/quillon-bench-apt.log 2>&1; then
    as_root apt-get update -q >>/tmp/quillon-bench-apt.log 2>&1
    as_root apt-get install -y -q --no-install-recommends "${missing[@]}" >>/tmp/quillon-bench-apt.log 2>&1 ||
      { tail -20 /tmp/quillon-bench-apt.log >&2; say "package installation failed"; exit 1; }
  fi
fi

# Release build of what is measured.
say "building (Release) in $BUILD"
{
  if [ ! -f "$BUILD/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release
  fi
  cmake --build "$BUILD" --target quillon bare_view banner_cpu -- -j"$(nproc)"
} >/tmp/quillon-bench-build.log 2>&1 || { tail -30 /tmp/quillon-bench-build.log >&2; say "build failed"; exit 1; }

say "measuring; this takes about 12 minutes (load average now: $(cut -d' ' -f1-3 /proc/loadavg))"
# Page frames (for memory counted page by page) are only readable by root.
[ "$(id -u)" -eq 0 ] || say "not root: memory falls back to PSS, which other programs sharing our libraries move"
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  python3 "$ROOT/bench/harness.py" --root "$ROOT" --build "$BUILD" \
  --out "$ROOT/bench/results/latest.md" "$@"
say "done: the table is in bench/results/latest.md (or the file given with --out)"
