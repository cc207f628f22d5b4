#!/usr/bin/env bash
# Installs the browser's .deb into a fresh Debian root that holds only a minimal system plus
# what the package depends on, starts it there on a virtual display and checks that the
# browser window appears. Needs root, debootstrap, xvfb, xdotool and imagemagick on the host.
#   tools/check_package.sh [quillon_*.deb] [work folder]
set -euo pipefail
deb=$(readlink -f "${1:-$(ls -t build/quillon_*.deb | head -1)}")
work=${2:-/tmp/quillon-package-check}
root=$work/root
base=$work/minbase.tar
say() { printf 'check_package: %s\n' "$*" >&2; }
started=$SECONDS

# The same archive the host installs from.
mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' | awk '$2 ~ /^bookworm\/?$/ {print $1; exit}')
[ -n "$mirror" ] || { say "no bookworm archive in the host's apt sources"; exit 1; }

mkdir -p "$work"
if [ ! -f "$base" ]; then
  say "making a minimal bookworm root (once; kept in $base)"
  rm -rf "$work/base"
  debootstrap --variant=minbase bookworm "$work/base" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    { tail -20 "$work/debootstrap.log" >&2; exit 1; }
  tar -C "$work/base" -cf "$base" .
  rm -rf "$work/base"
fi

# A fresh root every run.
rm -rf "$root" && mkdir -p "$root" && tar -C "$root" -xf "$base"
xvfb_pid=""
browser_pid=""
cleanup() {
  [ -n "$browser_pid" ] && kill "$browser_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  for m in tmp/.X11-unix dev/shm dev/pts dev proc; do
    mountpoint -q "$root/$m" && umount -l "$root/$m" || true
  done
}
trap cleanup EXIT
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount -t devpts devpts "$root/dev/pts" -o newinstance 2>/dev/null || true
mount -t tmpfs shm "$root/dev/shm"
cp /etc/resolv.conf "$root/etc/resolv.conf"

before=$(chroot "$root" dpkg-query -W -f='.\n' | wc -l)
cp "$deb" "$root/tmp/quillon.deb"
say "installing $(basename "$deb") with its dependencies only"
t0=$SECONDS
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get update -q >"$work/apt.log" 2>&1
chroot "$root" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -q --no-install-recommends /tmp/quillon.deb >>"$work/apt.log" 2>&1 ||
  { tail -20 "$work/apt.log" >&2; exit 1; }
after=$(chroot "$root" dpkg-query -W -f='.\n' | wc -l)
say "installed in $((SECONDS - t0)) s: $((after - before)) packages on top of $before; root is $(du -smx "$root" | cut -f1) MB"

for f in usr/bin/quillon usr/bin/quillon-sysinfo usr/share/applications/quillon.desktop \
         usr/share/icons/hicolor/16x16/apps/quillon.png usr/share/icons/hicolor/32x32/apps/quillon.png \
         usr/share/metainfo/com.example.quillon.metainfo.xml; do
  [ -e "$root/$f" ] || { say "missing from the installed package: /$f"; exit 1; }
done

# The display runs on the host; the browser in the fresh root reaches it through its socket.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
mkdir -p "$root/tmp/.X11-unix"
for _ in $(seq 1 50); do [ -S "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"

t0=$SECONDS
chroot "$root" env -i DISPLAY="$display" HOME=/root PATH=/usr/bin:/bin LANG=C.UTF-8 \
  /usr/bin/quillon >"$work/quillon.log" 2>&1 &
browser_pid=$!
found=""
for _ in $(seq 1 200); do
  if DISPLAY=$display xdotool search --onlyvisible --name "Quillon 's Browser" >/dev/null 2>&1; then
    found=yes; break
  fi
  kill -0 "$browser_pid" 2>/dev/null || break
  sleep 0.1
done
[ -n "$found" ] || { cat "$work/quillon.log" >&2; say "no browser window appeared"; exit 1; }
say "browser window up $((SECONDS - t0)) s after start"
sleep 3 # the home page
kill -0 "$browser_pid" 2>/dev/null || { cat "$work/quillon.log" >&2; say "the browser died"; exit 1; }
DISPLAY=$display import -window root "$work/installed-browser.png"
spread=$(convert "$work/installed-browser.png" -colorspace gray -format '%[fx:standard_deviation]' info:)
awk -v s="$spread" 'BEGIN { exit !(s > 0.05) }' || { say "the screenshot is blank"; exit 1; }
say "screenshot: $work/installed-browser.png"
say "passed in $((SECONDS - started)) s"
