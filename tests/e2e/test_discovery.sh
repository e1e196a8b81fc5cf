#!/usr/bin/env bash
# Finding the stick at start-up, as a board would: which mounted device and directory the
# announcer settles on, its wait for a stick, and its end when the mount table cannot be read.
# Each medium's schedule carries a record of a made-up type named after the medium, so the line
# reporting it shows which schedule was loaded.
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"

# medium DIR LABEL: a loadable schedule directory that announces its LABEL when loaded.
medium() {
    write_wav "$1/intro.wav" 0.2
    write_schedule "$1" 5:00 "$(record_xml intro Custom 2:00.0 0 0)" "$(record_xml "$2" Marker 3:00.0 0 0)"
}
loaded() { echo "Record $1 with unknown type Marker found - ignored"; }

# run_until_loaded CASE: starts the announcer and waits until it has loaded a schedule.
run_until_loaded() {
    start_announcer
    wait_for_line "Schedule loaded" 10 || fail "$1: no schedule loaded"
    stop_announcer
    expect_line "Quillane is initialising"
}

# Two sticks that both carry a schedule: the one listed first in the mount table wins, even
# though its mount point sorts after the other's.
medium "$WORK/z/show" first-listed
medium "$WORK/a/show" second-listed
mount_stick /dev/sdq1 "$WORK/mnt-z" "$WORK/z"
mount_stick /dev/sdq2 "$WORK/mnt-a" "$WORK/a"
run_until_loaded "two sticks"
expect_line "$(loaded first-listed)"
expect_no_line "$(loaded second-listed)"
unmount_sticks

# Decoys listed first: a schedule at a stick's root, one in a dot-directory, one on a device
# that is no USB disk. The stick found last is mounted, like an automounter does, under its
# volume label, with a space in the path.
mkdir -p "$WORK/decoy/.hidden"
medium "$WORK/decoy" at-root
medium "$WORK/decoy/.hidden" dot-directory
medium "$WORK/card/show" sd-card
medium "$WORK/label/show" volume-label
mount_stick /dev/sdq1 "$WORK/mnt-decoy" "$WORK/decoy"
mount_stick /dev/mmcblk9p1 "$WORK/mnt-card" "$WORK/card"
mount_stick /dev/sdq2 "$WORK/media/USB DISK" "$WORK/label"
grep -qF 'USB\040DISK' /proc/mounts || fail "the mount table does not escape the space"
run_until_loaded "decoys"
expect_line "$(loaded volume-label)"
for decoy in at-root dot-directory sd-card; do expect_no_line "$(loaded "$decoy")"; done
unmount_sticks

# No stick yet: the announcer says so, waits 10 seconds, reads the mount table again and finds
# the stick plugged in meanwhile.
start_announcer
wait_for_line "Didn't find candidate directory, sleeping for 10 seconds" 5 ||
    fail "no waiting line without a stick"
mount_stick /dev/sdq3 "$WORK/mnt-late" "$WORK/a"
wait_for_line "Schedule loaded" 15 || fail "the stick plugged in late was not found"
stop_announcer
expect_line "$(loaded second-listed)"
[[ $(grep -cxF "Didn't find candidate directory, sleeping for 10 seconds" "$WORK/out.log") == 1 ]] ||
    fail "expected exactly one waiting line"
unmount_sticks

# No readable mount table: one line and exit status 255, at once. run_without_table SETUP runs
# the announcer in a namespace of its own after SETUP, in the shell the announcer replaces.
run_without_table() {
    printf '%s || exit 99\nexec "$QUILLANE"\n' "$1" >"$WORK/no-table.sh"
    env QUILLANE="$QUILLANE" unshare -m --propagation private bash "$WORK/no-table.sh" \
        >"$WORK/out.log" 2>"$WORK/err.log" &
    ANNOUNCER_PID=$!
    wait_announcer 5
    expect_rc 255
    [[ $(cat "$WORK/out.log") == $'Quillane is initialising\n/proc/mounts not opened' ]] ||
        fail "unexpected output without a readable mount table ($1)"
}
# A table that opens but fails on reading: this process's own memory at address 0 in its place.
run_without_table 'mount --bind /proc/$$/mem /proc/$$/mounts'
# No table at all: /proc hidden. A sanitizer build needs /proc for itself, so only plain builds.
if ! grep -q __asan_init "$QUILLANE"; then
    run_without_table 'mount -t tmpfs none /proc'
fi

echo "PASS"
