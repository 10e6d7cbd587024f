#!/usr/bin/env bash
# Runs the test command (scripts/test.sh) on a fresh Debian 13 (trixie): makes
# a minimal root with debootstrap, copies this checkout into it (without build
# directories) and runs the command there under chroot, so that it starts from
# nothing but what it installs itself. The root is unmounted and removed on
# every way out. Needs root, or sudo; installs debootstrap when it is missing.
#
# Usage: scripts/test-debian13.sh [--sanitizers] [DIR]
#   --sanitizers  also run the sanitizer build (left out by default: it is the
#                 slowest part, and the Debian 12 pass of CI runs it)
#   DIR           where to make the root: a new or empty directory (default: a
#                 new directory under ${TMPDIR:-/var/tmp})
# Environment: DEBIAN_MIRROR (default http://deb.debian.org/debian);
#   TIMELINE_KEEP_ROOT=1 keeps the root (unmounted) for a look around.
set -euo pipefail

src=$(cd "$(dirname "$0")/.." && pwd)
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}

test_args=(--no-sanitizers)
if [[ ${1:-} == --sanitizers ]]; then
    test_args=()
    shift
fi
dir=${1:-}

if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "test-debian13: needs root or sudo" >&2; exit 1; }
    exec sudo --preserve-env=DEBIAN_MIRROR,TIMELINE_KEEP_ROOT -- bash "$0" "$@"
fi

if ! command -v debootstrap >/dev/null; then
    echo "test-debian13: installing debootstrap"
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap
fi

root=
mounts=()
child=
# The processes whose root directory is the Debian 13 root.
inside() {
    local link pid
    for link in /proc/[0-9]*/root; do
        pid=${link#/proc/}
        pid=${pid%/root}
        [[ $(readlink "$link" 2>/dev/null) == "$root" ]] && echo "$pid"
    done
    return 0
}
# Stops what still runs (the command started last, what runs inside the root),
# unmounts the root and removes it; a root that is still mounted on is left
# alone rather than removed across a mount.
cleanup() {
    local status=$? pids i
    trap - EXIT INT TERM HUP
    [[ -n $child ]] && kill "$child" 2>/dev/null
    if [[ -n $root ]]; then
        for ((i = 0; i < 50; i++)); do
            pids=$(inside)
            [[ -z $pids ]] && break
            # shellcheck disable=SC2086 # one pid a word
            kill -KILL $pids 2>/dev/null
            sleep 0.1
        done
        for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
            umount -R "${mounts[i]}" 2>/dev/null || umount -R -l "${mounts[i]}" || true
        done
        if awk -v root="$root" '$5 == root || index($5, root "/") == 1 { found = 1 }
                                END { exit !found }' /proc/self/mountinfo; then
            echo "test-debian13: something is still mounted in $root; not removing it" >&2
        elif [[ -n ${TIMELINE_KEEP_ROOT:-} ]]; then
            echo "test-debian13: kept $root"
        else
            rm -rf --one-file-system "$root"
        fi
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
# Runs a command in the background and waits for it: a signal to this script
# then ends the wait at once instead of after the command.
run() {
    local status=0
    "$@" &
    child=$!
    wait "$child" || status=$?
    child=
    return "$status"
}

if [[ -n $dir ]]; then
    mkdir -p "$dir"
    [[ -z $(ls -A "$dir") ]] || { echo "test-debian13: $dir is not empty" >&2; exit 1; }
    root=$(realpath "$dir")
else
    root=$(mktemp -d "${TMPDIR:-/var/tmp}/timeline-debian13.XXXXXX")
fi
# The root's / : users such as apt's _apt must get through it.
chmod 755 "$root"
[[ $root != / ]] || { echo "test-debian13: refusing to use /" >&2; exit 1; }

echo "== Debian 13 root in $root"
log=$root/debootstrap.out
if ! run debootstrap --variant=minbase trixie "$root" "$mirror" >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    exit 1
fi
rm -f "$log"

mount -t proc proc "$root/proc"
mounts+=("$root/proc")
mount -t sysfs sysfs "$root/sys"
mounts+=("$root/sys")
# /dev with /dev/pts and /dev/shm; as a slave, so unmounting it here cannot
# unmount anything of the host's.
mount --rbind /dev "$root/dev"
mounts+=("$root/dev")
mount --make-rslave "$root/dev"
cp /etc/resolv.conf "$root/etc/resolv.conf"

echo "== copy of $src"
mkdir "$root/root/timeline"
tar -C "$src" --exclude=./.git --exclude='./build*' --exclude=./out -cf - . \
    | tar -C "$root/root/timeline" -xf -

echo "== scripts/test.sh ${test_args[*]} in the Debian 13 root"
run chroot "$root" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c 'cd /root/timeline && bash scripts/test.sh "$@"' test.sh "${test_args[@]}"
echo "test-debian13: the test command passed on Debian 13"
