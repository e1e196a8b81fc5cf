#!/usr/bin/env bash
# The helper udev runs when a stick comes and goes: the exact systemd-mount command it hands to
# the service manager, and what it refuses. systemd-mount cannot run without a service manager,
# so a stand-in first on PATH records its arguments.
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"
helper="$QUILLANE_SOURCE_DIR/packaging/quillane-mount"
command -v findmnt >/dev/null || skip "findmnt (util-linux) is missing"
command -v getent >/dev/null || skip "getent is missing"

mkdir -p "$WORK/bin"
cat >"$WORK/bin/systemd-mount" <<EOF
#!/bin/bash
printf '%s\n' "\$@" >"$WORK/call"
EOF
chmod +x "$WORK/bin/systemd-mount"
export PATH="$WORK/bin:$PATH"

# run_helper ARGS...: runs the helper; $calls holds the arguments systemd-mount got, one a line.
run_helper() {
    rm -f "$WORK/call"
    rc=0
    "$helper" "$@" >"$WORK/helper.out" 2>&1 || rc=$?
    calls=$(cat "$WORK/call" 2>/dev/null || true)
}

expect_call() {
    local expected
    expected=$(printf '%s\n' "$@")
    [[ $rc == 0 ]] || fail "helper exit status $rc: $(cat "$WORK/helper.out")"
    [[ $calls == "$expected" ]] || fail "systemd-mount got:
$calls
expected:
$expected"
}

expect_refused() {
    [[ $rc == 2 ]] || fail "helper exit status $rc for $*, expected 2"
    [[ -z $calls ]] || fail "systemd-mount was called for $*: $calls"
}

gid=$(getent group audio | cut -d: -f3)
[[ -n $gid ]] || skip "this machine has no audio group"
owner="uid=0,gid=$gid,fmask=0137,dmask=0027"
common=(--no-block --automount=no --collect --fsck=no --property=LazyUnmount=yes)

# A FAT stick: read-only, nothing executable, files readable by the audio group only.
ID_FS_TYPE=vfat run_helper add /dev/sdb1
expect_call "${common[@]}" "--description=Quillane stick /dev/sdb1" \
    "--options=ro,nosuid,nodev,noexec,nofail,$owner,utf8" /dev/sdb1 /media/sdb1
ID_FS_TYPE=exfat run_helper add /dev/sdc
expect_call "${common[@]}" "--description=Quillane stick /dev/sdc" \
    "--options=ro,nosuid,nodev,noexec,nofail,$owner" /dev/sdc /media/sdc
# A file system with owners of its own keeps them.
ID_FS_TYPE=ext4 run_helper add /dev/sda2
expect_call "${common[@]}" "--description=Quillane stick /dev/sda2" \
    "--options=ro,nosuid,nodev,noexec,nofail" /dev/sda2 /media/sda2

run_helper remove /dev/sdb1
expect_call --umount --no-block /media/sdb1

# A device mounted already (a root file system on a USB disk) is left alone.
mkdir -p "$WORK/root"
mount -t tmpfs /dev/sdz7 "$WORK/root"
ID_FS_TYPE=ext4 run_helper add /dev/sdz7
umount "$WORK/root"
[[ $rc == 0 && -z $calls ]] || fail "a mounted device was mounted again (status $rc): $calls"

# Names outside /dev/sd*, or that would lead elsewhere, are refused; so are bad usages.
for dev in /dev/mmcblk0p1 /dev/sd /dev/sda/../../etc /dev/sdb1x/ "/dev/sdb 1" sda1; do
    ID_FS_TYPE=vfat run_helper add "$dev"
    expect_refused add "$dev"
    run_helper remove "$dev"
    expect_refused remove "$dev"
done
for args in "" "add" "add /dev/sdb1 extra" "mount /dev/sdb1" "options"; do
    # shellcheck disable=SC2086 # the words are the arguments
    run_helper $args
    expect_refused "'$args'"
done
echo "mount helper: all cases passed"
