#!/usr/bin/env bash
# Installs the browser's .deb into a fresh Debian root that holds only a minimal system plus
# what the package depends on; checks that it offers itself for x-www-browser (and not for
# www-browser); opens a page through sensible-browser on a virtual display and takes a
# screenshot; then removes and purges it and checks that /usr, /etc and the alternatives are
# as they were before. Needs root, debootstrap, xvfb, xdotool and imagemagick on the host.
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

in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"; }
# What a package may leave behind: files under /usr and /etc, and the alternatives.
system_files() { in_root find /usr /etc /var/lib/dpkg/alternatives -xdev | LC_ALL=C sort; }
in_root apt-get update -q >"$work/apt.log" 2>&1
# sensible-browser comes with every Debian system (sensible-utils is a required package).
in_root test -x /usr/bin/sensible-browser ||
  in_root apt-get install -y -q --no-install-recommends sensible-utils >>"$work/apt.log" 2>&1
system_files >"$work/files-before"

before=$(chroot "$root" dpkg-query -W -f='.\n' | wc -l)
cp "$deb" "$root/tmp/quillon.deb"
say "installing $(basename "$deb") with its dependencies only"
t0=$SECONDS
in_root apt-get install -y -q --no-install-recommends /tmp/quillon.deb >>"$work/apt.log" 2>&1 ||
  { tail -20 "$work/apt.log" >&2; exit 1; }
after=$(chroot "$root" dpkg-query -W -f='.\n' | wc -l)
say "installed in $((SECONDS - t0)) s: $((after - before)) packages on top of $before; root is $(du -smx "$root" | cut -f1) MB"

for f in usr/bin/quillon usr/bin/quillon-sysinfo usr/share/applications/quillon.desktop \
         usr/share/icons/hicolor/16x16/apps/quillon.png usr/share/icons/hicolor/32x32/apps/quillon.png \
         usr/share/metainfo/com.example.quillon.metainfo.xml usr/share/man/man1/quillon.1.gz \
         usr/share/man/man1/quillon-sysinfo.1.gz usr/share/doc/quillon/copyright usr/share/doc/quillon/changelog.gz; do
  [ -e "$root/$f" ] || { say "missing from the installed package: /$f"; exit 1; }
done

# The only graphical browser here: x-www-browser is quillon; www-browser is left to text browsers.
[ "$(in_root readlink -f /usr/bin/x-www-browser)" = /usr/bin/quillon ] ||
  { in_root update-alternatives --display x-www-browser >&2 || true; say "x-www-browser is not quillon"; exit 1; }
if in_root update-alternatives --query www-browser >/dev/null 2>&1; then say "quillon is offered for www-browser"; exit 1; fi
say "x-www-browser: $(in_root update-alternatives --query x-www-browser | grep -E '^(Value|Priority):' | tr '\n' ' ')"

# The display runs on the host; the browser in the fresh root reaches it through its socket.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
mkdir -p "$root/tmp/.X11-unix"
for _ in $(seq 1 50); do [ -S "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"

system_files >"$work/files-installed"

# A link opened as other programs open one: sensible-browser, which starts x-www-browser.
title="Opened through sensible-browser"
printf '<!DOCTYPE html><title>%s</title>\n<body style="background:#2a6;color:#fff;font:20px sans-serif"><h1>%s</h1><p>file:///tmp/page.html</p>\n' \
  "$title" "$title" >"$root/tmp/page.html"
t0=$SECONDS
chroot "$root" env -i DISPLAY="$display" HOME=/root PATH=/usr/bin:/bin LANG=C.UTF-8 \
  sensible-browser file:///tmp/page.html >"$work/quillon.log" 2>&1 &
browser_pid=$!
found=""
for _ in $(seq 1 300); do
  if DISPLAY=$display xdotool search --onlyvisible --name "^$title   --  Quillon 's Browser\$" >/dev/null 2>&1; then
    found=yes; break
  fi
  kill -0 "$browser_pid" 2>/dev/null || break
  sleep 0.1
done
[ -n "$found" ] || { cat "$work/quillon.log" >&2; say "sensible-browser opened no browser window on the page"; exit 1; }
say "the page is open through sensible-browser $((SECONDS - t0)) s after the start"
sleep 1 # the page painted
kill -0 "$browser_pid" 2>/dev/null || { cat "$work/quillon.log" >&2; say "the browser died"; exit 1; }
DISPLAY=$display import -window root "$work/installed-browser.png"
spread=$(convert "$work/installed-browser.png" -colorspace gray -format '%[fx:standard_deviation]' info:)
awk -v s="$spread" 'BEGIN { exit !(s > 0.05) }' || { say "the screenshot is blank"; exit 1; }
say "screenshot: $work/installed-browser.png"

# The browser ends on SIGTERM, closing its windows.
kill -TERM "$browser_pid"
for _ in $(seq 1 100); do kill -0 "$browser_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$browser_pid" 2>/dev/null && { say "the browser did not end on SIGTERM"; exit 1; }
browser_pid=""
# Running the browser as root lets the engine write where a user could not (Qt WebEngine 6.4's
# helper process makes an empty locales folder beside itself): not the package's doing. Said,
# and taken away, so that what follows judges the package alone.
system_files >"$work/files-run"
LC_ALL=C comm -13 "$work/files-installed" "$work/files-run" >"$work/files-of-the-run"
if [ -s "$work/files-of-the-run" ]; then
  say "the browser's run as root added, outside the package: $(tr '\n' ' ' <"$work/files-of-the-run")"
  tac "$work/files-of-the-run" | while read -r f; do rm -rf "${root:?}$f"; done
fi

# Removed: no file of the package and no alternative left. Purged, with what came in for it:
# the system as it was.
in_root apt-get remove -y -q quillon >>"$work/apt.log" 2>&1 || { tail -20 "$work/apt.log" >&2; exit 1; }
for f in usr/bin/quillon usr/share/man/man1/quillon.1.gz usr/bin/x-www-browser \
         etc/alternatives/x-www-browser var/lib/dpkg/alternatives/x-www-browser; do
  if [ -e "$root/$f" ] || [ -L "$root/$f" ]; then say "left after removal: /$f"; exit 1; fi
done
# (With no configuration files, removal has already purged the package itself.)
{ in_root dpkg --purge quillon && in_root apt-get autoremove --purge -y -q; } >>"$work/apt.log" 2>&1 ||
  { tail -20 "$work/apt.log" >&2; exit 1; }
left=$(chroot "$root" dpkg-query -W -f='.\n' | wc -l)
[ "$left" -eq "$before" ] || { say "purged, but $((left - before)) packages stayed"; exit 1; }
system_files >"$work/files-after"
if ! diff "$work/files-before" "$work/files-after" >"$work/files-diff"; then
  sed 's/^/  /' "$work/files-diff" >&2
  say "purged, but /usr, /etc or the alternatives differ from before (above)"
  exit 1
fi
say "removed and purged: /usr, /etc and the alternatives are as they were"
say "passed in $((SECONDS - started)) s"
