#!/usr/bin/env bash
# Sticks mounted with the options the udev helper gives them, on loop images of real file
# systems, in a private mount namespace: read-only, no devices, setuid or programs, and on FAT
# and exFAT readable by the audio group only. Then the announcer, run as an unprivileged user
# in the audio group as the service runs it, finds the stick and plays from it.
# Where the kernel lacks a file system (FAT, exFAT) its FUSE driver stands in if there is one;
# a file system neither can mount is reported and left out.
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"
helper="$QUILLANE_SOURCE_DIR/packaging/quillane-mount"
for tool in losetup setpriv mknod getent; do
    command -v "$tool" >/dev/null || skip "$tool is missing"
done
gid=$(getent group audio | cut -d: -f3)
[[ -n $gid ]] || skip "this machine has no audio group"
LOOPS=()
# A FUSE driver left mounted would keep this namespace, and so its loop device, alive.
cleanup() {
    local l
    stop_announcer
    for l in /media/* "$WORK/fill"; do umount -l "$l" 2>/dev/null || true; done
    for l in "${LOOPS[@]}"; do losetup -d "$l" 2>/dev/null || true; done
    e2e_cleanup
}
trap cleanup EXIT

# mount_any TYPE DEVICE DIR [OPTIONS]: mounts with the kernel's driver or, failing that, the
# FUSE one; prints "kernel" or "fuse".
mount_any() {
    if mount -t "$1" ${4:+-o "$4"} "$2" "$3" >/dev/null 2>&1; then
        echo kernel
    elif command -v "mount.$1-fuse" >/dev/null &&
        mount -t "$1-fuse" ${4:+-o "$4"} "$2" "$3" >/dev/null 2>&1; then
        echo fuse
    else
        return 1
    fi
}

# prepare FSTYPE MKFS...: a loop image of FSTYPE holding a stick; sets $loop, or fails with a
# reason in $why.
prepare() {
    local fs=$1 img="$WORK/$1.img"
    shift
    command -v "$1" >/dev/null || { why="$1 is missing"; return 1; }
    truncate -s 32M "$img"
    "$@" "$img" >/dev/null 2>&1 || { why="$1 failed"; return 1; }
    loop=$(losetup -f --show "$img") || { why="no free loop device"; return 1; }
    LOOPS+=("$loop")
    mkdir -p "$WORK/fill"
    mount_any "$fs" "$loop" "$WORK/fill" >/dev/null || { why="neither kernel nor FUSE mounts it"; return 1; }
    write_wav "$WORK/fill/show/intro.wav" 0.3
    write_schedule "$WORK/fill/show" 0:05 "$(record_xml intro Custom 0:00.0 0 0)"
    printf '#!/bin/sh\necho ran\n' >"$WORK/fill/show/run.sh"
    chmod 755 "$WORK/fill/show/run.sh" 2>/dev/null || true
    umount "$WORK/fill"
}

declare -A DEVICE
for fs_and_mkfs in "ext4 mkfs.ext4 -q -F" "vfat mkfs.vfat" "exfat mkfs.exfat"; do
    read -r fs mkfs <<<"$fs_and_mkfs"
    # shellcheck disable=SC2086 # the words are the command
    if prepare "$fs" $mkfs; then
        DEVICE[$fs]=$loop
    else
        echo "NOTE: $fs left out: $why"
    fi
done
((${#DEVICE[@]} > 0)) || skip "no file system could be mounted on a loop device here"

# A /dev of this namespace's own where each image has a USB stick's name, so the mount table
# shows /dev/sd devices as on a board.
mkdir -p "$WORK/nodes"
make_nodes() {
    local node
    for node in null zero full random urandom tty fuse; do
        [[ -e /dev/$node ]] && cp -a "/dev/$node" "$WORK/nodes/"
    done
    for node in "${LOOPS[@]}"; do cp -a "$node" "$WORK/nodes/"; done
}
make_nodes
mount -t tmpfs -o mode=755 tmpfs /dev
cp -a "$WORK/nodes/." /dev/
ln -s /proc/self/fd /dev/fd
mount -t tmpfs tmpfs /media
letter=({a..z})

# The announcer as the service runs it: not root, a member of the audio group.
chmod 755 "$WORK"
cp "$QUILLANE" "$WORK/quillane"
cat >"$WORK/as-service" <<EOF
#!/bin/sh
exec setpriv --reuid=65534 --regid=65534 --groups=$gid -- "$WORK/quillane" "\$@"
EOF
chmod 755 "$WORK/as-service" "$WORK/quillane"
QUILLANE="$WORK/as-service"
fake_aplay
chmod 755 "$WORK/bin"
touch "$WORK/aplay.log"
chmod 666 "$WORK/aplay.log"

as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups -- "$@"; }
as_service() { setpriv --reuid=65534 --regid=65534 --groups="$gid" -- "$@"; }

check_stick() {
    local fs=$1 dev=$2 at=$3 how=$4 opts
    opts=$(awk -v at="$at" '$2 == at { print $4 }' /proc/mounts)
    for opt in ro nosuid nodev; do
        [[ ,$opts, == *,$opt,* ]] || fail "$fs: option $opt missing: $opts"
    done
    if [[ $how == kernel ]]; then
        [[ ,$opts, == *,noexec,* ]] || fail "$fs: option noexec missing: $opts"
        ! "$at/show/run.sh" 2>/dev/null || fail "$fs: a program on the stick ran"
    fi
    ! touch "$at/show/new" 2>/dev/null || fail "$fs: the stick is writable"
    as_service cat "$at/show/forVrex.xml" >/dev/null || fail "$fs: the audio group cannot read"
    if [[ $fs != ext4 ]]; then
        ! as_nobody cat "$at/show/forVrex.xml" 2>/dev/null || fail "$fs: readable by anyone"
        ! as_nobody ls "$at/show" >/dev/null 2>&1 || fail "$fs: directories open to anyone"
    fi
}

check_announcer() {
    local fs=$1 at=$2
    : >"$WORK/aplay.log"
    start_announcer TZ=UTC0
    local deadline=$((SECONDS + 15))
    until grep -qF "$at/show/intro.wav" "$WORK/aplay.log"; do
        ((SECONDS < deadline)) || fail "$fs: the announcer did not play $at/show/intro.wav"
        sleep 0.2
    done
    stop_announcer
    expect_line "Schedule loaded"
}

n=0
for fs in "${!DEVICE[@]}"; do
    dev=/dev/sdq${letter[n]}1
    n=$((n + 1))
    mknod "$dev" b $((0x$(stat -c %t "${DEVICE[$fs]}"))) $((0x$(stat -c %T "${DEVICE[$fs]}")))
    at=/media/${dev#/dev/}
    mkdir -p "$at"
    how=$(mount_any "$fs" "$dev" "$at" "$("$helper" options "$fs")") || fail "$fs: mount refused"
    check_stick "$fs" "$dev" "$at" "$how"
    check_announcer "$fs" "$at"
    umount "$at"
    echo "$fs ($how driver): read-only stick checked, announcer played from $at"
done
