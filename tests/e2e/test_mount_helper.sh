#!/usr/bin/env bash
# The helper the stick rule runs: what it asks the service manager to mount, with which options,
# and what it refuses. systemd-mount needs a running service manager, so a stand-in first on
# PATH records its arguments; a private mount namespace holds a device that is mounted already.
# shellcheck disable=SC2015 # a && b || fail: fails when either does
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"
helper="$QUILLANE_SOURCE_DIR/packaging/quillane-mount"
gid=$(getent group audio | cut -d: -f3) || skip "this machine has no audio group"
mkdir -p "$WORK/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >"%s/call"\n' "$WORK" >"$WORK/bin/systemd-mount"
chmod +x "$WORK/bin/systemd-mount"
export PATH="$WORK/bin:$PATH"

# run EXPECTED_STATUS ARGS...: runs the helper; $call holds systemd-mount's arguments, one a line.
run() {
    local expected=$1 rc=0
    shift
    rm -f "$WORK/call"
    "$helper" "$@" >/dev/null 2>&1 || rc=$?
    [[ $rc == "$expected" ]] || fail "quillane-mount $* exited $rc, expected $expected"
    call=$(cat "$WORK/call" 2>/dev/null || true)
}

# File system, device, options the mount must have (FAT-like ones have no owners of their own)
# and, after a -, one it must not.
fat="gid=$gid fmask=0137 dmask=0027"
for case in "vfat /dev/sdb1 $fat" "exfat /dev/sdc $fat" "ext4 /dev/sda2 -gid"; do
    read -r fs dev wanted <<<"$case"
    ID_FS_TYPE=$fs run 0 add "$dev"
    grep -qx -- "$dev" <<<"$call" && grep -qx -- "/media/${dev#/dev/}" <<<"$call" ||
        fail "$fs: not mounted at /media/${dev#/dev/}: $call"
    options=,$(sed -n 's/^--options=//p' <<<"$call"),
    for option in ro nosuid nodev noexec $wanted; do
        [[ $option == -* && $options != *,${option#-}* || $options == *,$option,* ]] ||
            fail "$fs: option $option broken in $options"
    done
done
run 0 remove /dev/sdb1
[[ $call == *--umount*/media/sdb1 ]] || fail "remove did not unmount /media/sdb1: $call"

# A device mounted already (a root file system on a USB disk) is left alone.
mount_stick /dev/sdz7 "$WORK/mnt"
ID_FS_TYPE=ext4 run 0 add /dev/sdz7
[[ -z $call ]] || fail "a mounted device was mounted again: $call"
# Names outside /dev/sd*, or leading elsewhere, and bad usages are refused.
for args in "add /dev/mmcblk0p1" "add /dev/sda/../../etc" "remove /dev/sdb1x/" "add sda1" "add" \
    "mount /dev/sdb1" "add /dev/sdb1 extra"; do
    # shellcheck disable=SC2086 # the words are the arguments
    ID_FS_TYPE=vfat run 2 $args
    [[ -z $call ]] || fail "quillane-mount $args called systemd-mount: $call"
done
echo "mount helper: options, unmount and refusals checked"
