#!/usr/bin/env bash
# Runs the README's two commands on a fresh Debian machine of a given release (12 "bookworm" by
# default, or 13 "trixie"): a debootstrap root (minbase, nothing else installed) holding a clean
# clone of HEAD at /work/main and a copy of shared/ at /work/shared, as CI lays them out. Inside, as
# root: scripts/test.sh in full, then scripts/run.sh --shot. So whatever the project needs and
# setup-deps.sh does not install shows here, and not first on a newcomer's machine. A developer's
# tool, not part of CI: it takes about as long as a full test run plus the download of every
# package.
#   clean-room.sh [--release NAME] [--after SECONDS] [--keep] [--refresh]
#     --release NAME  the Debian release to build the root from: bookworm (default) or trixie
#     --after N       take the screenshot N seconds after the client starts (default 12)
#     --keep          leave the root and its build behind for a look (its path is printed)
#     --refresh       build the cached bare root anew
# Prints the test command's summary and where the screenshot and logs are
# (build/clean-room/RELEASE/), and exits non-zero when either command fails. Only the bare root is
# cached, as a tarball per release under ~/.cache/sivrel; the project's build always starts from
# nothing. Needs root (re-runs itself under sudo otherwise) and Debian's archive.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
self="$here/$(basename "${BASH_SOURCE[0]}")"
releases="bookworm trixie"
mirror=http://deb.debian.org/debian

# ---------------------------------------------------------------- inside: the chroot's own namespaces
# Runs as the first process of a private mount and PID namespace (see the end of this script): every
# mount made here vanishes with the namespace, and every process left behind in the root (a stray
# wineserver or Xvfb) is killed when this one ends. The trap unmounts in order all the same, so the
# root is free the moment the commands are done.
if [ "${1:-}" = --inside ]; then
  r="$2"; after="$3"; out="$4"
  mounted=()
  unmount_all() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
      umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}"
    done
  }
  trap unmount_all EXIT
  trap 'exit 130' INT TERM   # the first process of a PID namespace ignores signals it has no trap for
  mount_at() { local target="$1"; shift; mount "$@" "$target"; mounted+=("$target"); }
  mount_at "$r/proc" -t proc proc
  mount_at "$r/dev" --bind /dev
  mount_at "$r/dev/pts" --bind /dev/pts
  mount_at "$r/dev/shm" -t tmpfs -o mode=1777,nosuid,nodev shm
  mount_at "$r/tmp" -t tmpfs -o mode=1777,nosuid,nodev tmp

  # A login's environment and nothing of ours: no DISPLAY (the commands make their own Xvfb), no
  # caches, no tool paths.
  in_root() {
    chroot "$r" /usr/bin/env -i HOME=/root TERM=dumb \
      PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
      ${SIVREL_JOBS:+SIVREL_JOBS="$SIVREL_JOBS"} \
      /bin/bash -c 'cd /work/main && exec "$@"' in-root "$@"
  }
  set +e
  in_root scripts/test.sh 2>&1 | tee "$out/test.log"
  test_rc=${PIPESTATUS[0]}
  in_root scripts/run.sh --shot /root/clean-room-shot.png --after "$after" 2>&1 | tee "$out/run.log"
  run_rc=${PIPESTATUS[0]}
  if [ "$run_rc" -eq 0 ]; then
    cp "$r/root/clean-room-shot.png" "$out/screenshot.png" || run_rc=1
  fi
  echo "$test_rc $run_rc" >"$out/exit-codes"
  exit 0
fi

# ---------------------------------------------------------------- outside
if [ "$(id -u)" -ne 0 ]; then
  exec sudo env ${SIVREL_JOBS:+SIVREL_JOBS="$SIVREL_JOBS"} "$self" "$@"
fi
after=12
suite=bookworm
keep=0
refresh=0
while [ $# -gt 0 ]; do
  case "$1" in
    --release) suite="${2:-}"; shift 2;;
    --after) after="$2"; shift 2;;
    --keep) keep=1; shift;;
    --refresh) refresh=1; shift;;
    *) echo "usage: clean-room.sh [--release bookworm|trixie] [--after SECONDS] [--keep] [--refresh]" >&2
       exit 2;;
  esac
done
case " $releases " in
  *" $suite "*) ;;
  *) echo "clean-room: release '$suite' is not one of: $releases" >&2; exit 2;;
esac

commit="$(git -C "$root" rev-parse HEAD)"
if [ -n "$(git -C "$root" status --porcelain)" ]; then
  echo "clean-room: uncommitted changes are not part of the clean room; it tests $commit" >&2
fi
"$root/scripts/setup-deps.sh" debootstrap
cache="${XDG_CACHE_HOME:-$HOME/.cache}/sivrel"
bare="$cache/clean-room-$suite-minbase-$(dpkg --print-architecture).tar.gz"
out="$root/build/clean-room/$suite"

work="$(mktemp -d "${TMPDIR:-/var/tmp}/sivrel-clean-room.XXXXXX")"
r="$work/root"
cleanup() {
  set +e
  # Deleting a root that still had /dev bound into it would delete the host's /dev: refuse.
  if grep -q " $work/" /proc/self/mounts; then
    echo "clean-room: still mounted under $work, left in place:" >&2
    grep " $work/" /proc/self/mounts >&2
    return
  fi
  if [ "$keep" = 1 ]; then
    echo "clean-room: the root is kept at $r"
  else
    rm -rf --one-file-system "$work"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

started=$(date +%s)
mkdir -p "$cache" "$r"
if [ "$refresh" = 1 ] || [ ! -f "$bare" ]; then
  echo "clean-room: debootstrap $suite (minbase) from $mirror"
  debootstrap --variant=minbase "$suite" "$r" "$mirror" >"$work/debootstrap.log" 2>&1 || {
    tail -n 20 "$work/debootstrap.log" >&2; echo "clean-room: debootstrap failed" >&2; exit 1; }
  rm -f "$r"/var/cache/apt/archives/*.deb
  tar --numeric-owner -C "$r" -czf "$bare.part" . && mv "$bare.part" "$bare"
  echo "clean-room: bare root cached as $bare"
else
  echo "clean-room: bare root from $bare ($(date -r "$bare" '+%Y-%m-%d'))"
  tar --numeric-owner -C "$r" -xzf "$bare"
fi

# What an installed machine has and a bare root lacks: the archive's updates and security suites,
# name resolution, and (a chroot has no init) no services started by package scripts. The sources
# are written as that release's installer writes them: one-line entries in sources.list on
# Debian 12, a deb822 debian.sources file on Debian 13.
rm -f "$r/etc/apt/sources.list" "$r/etc/apt/sources.list.d/"*
if [ "$suite" = bookworm ]; then
  cat >"$r/etc/apt/sources.list" <<EOF
deb $mirror $suite main
deb $mirror $suite-updates main
deb http://deb.debian.org/debian-security $suite-security main
EOF
else
  cat >"$r/etc/apt/sources.list.d/debian.sources" <<EOF
Types: deb
URIs: $mirror
Suites: $suite $suite-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://deb.debian.org/debian-security
Suites: $suite-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
fi
cp /etc/resolv.conf "$r/etc/resolv.conf"
printf '#!/bin/sh\nexit 101\n' >"$r/usr/sbin/policy-rc.d"
chmod 755 "$r/usr/sbin/policy-rc.d"

mkdir -p "$r/work"
git clone -q --no-hardlinks --no-checkout "$root" "$r/work/main"
git -C "$r/work/main" checkout -q --detach "$commit"
shared="$(dirname "$root")/shared"
if [ -d "$shared" ]; then
  mkdir -p "$r/work/shared"
  # hooks/ belongs to whatever runs the sessions on this machine, not to the project.
  tar -C "$shared" --exclude=./hooks -cf - . | tar -C "$r/work/shared" -xf -
fi

rm -rf "$out"
mkdir -p "$out"
echo "clean-room: testing $commit in $r"
unshare --mount --pid --fork --propagation private -- "$self" --inside "$r" "$after" "$out"
read -r test_rc run_rc <"$out/exit-codes" || { test_rc=1; run_rc=1; }
elapsed=$(( $(date +%s) - started ))

echo
echo "===== clean room ($suite, $commit)"
sed -n '/^===== summary$/,$p' "$out/test.log" | tail -n +2
if [ "$run_rc" -eq 0 ]; then
  echo "run command: screenshot at $out/screenshot.png"
else
  echo "run command: FAILED (exit code $run_rc; log in $out/run.log)"
fi
echo "logs: $out/test.log, $out/run.log; took $((elapsed / 60)) min $((elapsed % 60)) s"
[ "$test_rc" -eq 0 ] && [ "$run_rc" -eq 0 ]
