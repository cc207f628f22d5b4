#!/usr/bin/env bash
# ./quillon test --on RELEASE…: the test command of the README on a fresh clone of HEAD inside a
# minimal Debian of each release. Each system is made once with debootstrap under ROOTS and
# reused; the packages the test installs there stay for the next run. It is entered with its
# own mount namespace and pivot_root (bubblewrap), not chroot: the kernel refuses new user
# namespaces under chroot, and the engine's sandbox for an ordinary user needs them.
#   tools/test_on.sh ROOTS RELEASE...
set -uo pipefail
here=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
roots=$1
shift
say() { printf 'quillon: %s\n' "$*" >&2; }
[ "$(id -u)" -eq 0 ] || { say "--on needs root (debootstrap, and entering the system as every user)"; exit 1; }

# The archive this machine installs from, else Debian's own.
mirror=$(apt-get indextargets --format '$(REPO_URI)' 2>/dev/null | grep -m1 '/debian/$' || true)
mirror=${mirror:-http://deb.debian.org/debian/}

make_root() {
  local release=$1 root=$2 script=()
  # A debootstrap older than the release knows it under the name of the rolling one.
  [ -f "/usr/share/debootstrap/scripts/$release" ] || script=(/usr/share/debootstrap/scripts/sid)
  say "$release: making a minimal system in $root (once)"
  rm -rf "$root.partial"
  local t0=$SECONDS
  if ! debootstrap --variant=minbase "$release" "$root.partial" "$mirror" "${script[@]}" \
      >"$root.debootstrap.log" 2>&1; then
    tail -20 "$root.debootstrap.log" >&2
    return 1
  fi
  # A testing release's archive index expires within days; a mirror that is a fixed snapshot
  # of the archive would leave the system unable to install anything.
  echo 'Acquire::Check-Valid-Until "false";' >"$root.partial/etc/apt/apt.conf.d/90quillon-snapshot"
  mv "$root.partial" "$root"
  say "$release: made in $((SECONDS - t0)) s"
}

enter() {
  local root=$1 release=$2
  shift 2
  bwrap --bind "$root" / --proc /proc --dev /dev --ro-bind /sys /sys \
    --perms 1777 --tmpfs /dev/shm --perms 1777 --tmpfs /tmp --perms 0700 --tmpfs /root \
    --ro-bind /etc/resolv.conf /etc/resolv.conf \
    --unshare-pid --unshare-ipc --unshare-uts --hostname "quillon-$release" --die-with-parent \
    --chdir /srv/quillon \
    env -i PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" "$@"
}

# The rest is read whole before it runs: the tree may change while a release is tested.
main() {
  commit=$(git -C "$here" rev-parse HEAD)
  git -C "$here" diff --quiet HEAD 2>/dev/null || say "uncommitted changes are not tested: the clone is of $commit"
  summary=()
  status=0
  for release in "$@"; do
    root=$roots/$release
    mkdir -p "$roots"
    exec {lock}>"$root.lock"
    flock "$lock"
    started=$SECONDS
    result=""
    if [ ! -d "$root" ] && ! make_root "$release" "$root"; then
      result="no system: debootstrap failed (see $root.debootstrap.log)"
    else
      rm -rf "$root/srv/quillon"
      git clone -q --no-local "$here" "$root/srv/quillon" && git -C "$root/srv/quillon" checkout -q --detach "$commit"
      log=$roots/$release.log
      enter "$root" "$release" ./quillon test 2>&1 | tee "$log"
      code=${PIPESTATUS[0]}
      result=$(grep -E 'tests passed, [0-9]+ tests? failed out of' "$log" | tail -1)
      [ -n "$result" ] || result="did not reach the tests (see $log)"
      [ "$code" -eq 0 ] || result="FAILED: $result"
    fi
    qt=$(dpkg-query --admindir="$root/var/lib/dpkg" -W -f '${Version}' libqt6webenginecore6 2>/dev/null | sed 's/[-+~].*//')
    case "$result" in 100%*) ;; *) status=1 ;; esac
    elapsed=$((SECONDS - started))
    summary+=("$release (Qt WebEngine ${qt:-?}): $result, in $((elapsed / 60)) min $((elapsed % 60)) s")
    exec {lock}>&-
  done
  for line in "${summary[@]}"; do say "$line"; done
  return $status
}
main "$@"
exit
