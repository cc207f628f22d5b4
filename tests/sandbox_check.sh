#!/usr/bin/env bash
# Starts the browser as an ordinary user on a display of its own and prints the seccomp
# mode of each engine helper process ("<pid> <mode> --type=<kind>"), then ends the browser.
#   sandbox_check.sh <quillon binary> <user>
set -u
for tool in runuser pgrep xvfb-run; do
  command -v "$tool" >/dev/null || { echo "cannot check: $tool is missing"; exit 1; }
done
if [ "${1:-}" = "--as-user" ]; then
  home=$2 user=$3
  # What the test process set for itself as root must not reach the ordinary user.
  env -u QTWEBENGINE_DISABLE_SANDBOX -u QTWEBENGINE_CHROMIUM_FLAGS \
    HOME=$home XDG_RUNTIME_DIR=$home/runtime runuser -u "$user" -- "$home/quillon" 2>"$home/stderr" &
  pid=$!
  # Renderers are forks of the zygote and keep its command line; they are the ones that
  # enter seccomp once the page starts.
  for _ in $(seq 1 200); do
    for p in $(pgrep -u "$user" -f QtWebEngineProcess); do
      [ "$(awk '/^Seccomp:/ {print $2}' /proc/"$p"/status 2>/dev/null)" = 2 ] && break 2
    done
    sleep 0.1
  done
  for p in $(pgrep -u "$user" -f QtWebEngineProcess); do
    echo "$p $(awk '/^Seccomp:/ {print $2}' /proc/"$p"/status) $(tr '\0' ' ' </proc/"$p"/cmdline | grep -o -- '--type=[a-z-]*')"
  done
  # None at all: the engine did not start for this user here; its words say why.
  pgrep -u "$user" -f QtWebEngineProcess >/dev/null ||
    { echo "no engine helper of $user started; the browser's error output:"; head -c 2000 "$home/stderr"; echo; }
  echo "stderr: $(grep -c -i sandbox "$home/stderr")"
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  exit 0
fi
bin=$1 user=$2
# The build folder may not be readable by that user: run a copy from a folder of its own.
home=$(mktemp -d)
chmod 755 "$home"
mkdir -m 700 "$home/runtime"
cp "$bin" "$home/quillon"
chown -R "$user" "$home"
xvfb-run -a -s "-screen 0 800x600x24 -ac" bash "$(readlink -f "$0")" --as-user "$home" "$user"
rm -rf "$home"
