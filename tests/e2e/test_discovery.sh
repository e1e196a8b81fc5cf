#!/usr/bin/env bash
# Finding the stick, as a board does: which mounted device and directory the announcer settles
# on, its wait for a stick, and its end when the mount table cannot be read. Each schedule holds
# a record of a made-up type named after its stick, so the line reporting it shows which loaded.
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"

medium() { write_schedule "$1" 5:00 "$(record_xml "$2" Marker 3:00.0 0 0)"; }
loaded() { echo "Record $1 with unknown type Marker found - ignored"; }

# Decoys first: a schedule at a stick's top, one in a dot-directory, one behind a link, one on a
# card that is no USB disk, one out of reach; then the stick to find, mounted under a name with a
# blank; then another.
medium "$WORK/decoy" at-top
medium "$WORK/decoy/.hidden" dot-directory
medium "$WORK/elsewhere" through-link
ln -s "$WORK/elsewhere" "$WORK/decoy/link"
medium "$WORK/card/show" sd-card
medium "$WORK/label/show" volume-label
medium "$WORK/other/show" listed-later
mount_stick /dev/sdq1 "$WORK/mnt-decoy" "$WORK/decoy"
mount_stick /dev/mmcblk9p1 "$WORK/mnt-card" "$WORK/card"
# A stick whose mount point a later mount hides: listed, but its path leads nowhere.
mount_stick /dev/sdq4 "$WORK/hidden/mnt" "$WORK/label"
mount -t tmpfs none "$WORK/hidden" && E2E_MOUNTS+=("$WORK/hidden")

# No stick yet: one waiting line, then the stick plugged in meanwhile is found.
start_announcer
wait_for_line "Didn't find candidate directory, sleeping for 10 seconds" 5 || fail "no waiting line"
mount_stick /dev/sdq2 "$WORK/media/USB DISK" "$WORK/label"
mount_stick /dev/sdq3 "$WORK/mnt-other" "$WORK/other"
wait_for_line "Schedule loaded" 15 || fail "the stick plugged in late was not found"
stop_announcer
expect_line "$(loaded volume-label)"
for decoy in at-top dot-directory through-link sd-card listed-later; do
    ! grep -qxF "$(loaded $decoy)" "$WORK/out.log" || fail "loaded the $decoy schedule"
done

# No readable mount table: one line and exit status 255, at once. The table is replaced, in a
# namespace of the announcer's own, by this shell's memory, which fails on reading.
printf 'mount --bind /proc/$$/mem /proc/$$/mounts || exit 99\nexec "%s"\n' "$QUILLANE" >"$WORK/no-table.sh"
unshare -m --propagation private bash "$WORK/no-table.sh" >"$WORK/out.log" 2>&1 &
ANNOUNCER_PID=$!
wait_announcer 5
[[ $ANNOUNCER_RC == 255 ]] || fail "exit status $ANNOUNCER_RC without a mount table"
[[ $(cat "$WORK/out.log") == $'Quillane is initialising\n/proc/mounts not opened' ]] ||
    fail "unexpected output without a readable mount table"
echo PASS
