#!/usr/bin/env bash
# Sticks swapped under the running announcer, with nobody at the board: a stick in, pulled in
# the middle of a long wait, another in, pulled in the middle of a playback, in again, then
# swapped at the same mount point for one whose schedule cannot be loaded (status 1), while the
# announcer did not look. Each pull is noticed within 2 seconds, and each stick put in is read
# within 2 seconds; while it waits with nothing happening the announcer does not wake, and
# another disk coming changes nothing.
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"
fake_aplay 30
write_wav "$WORK/a/show/hello.wav" 0.1
write_schedule "$WORK/a/show" 5:00 "$(record_xml hello Custom 2:00.0 0 0)"
write_wav "$WORK/b/show/hello.wav" 0.1
write_schedule "$WORK/b/show" 0:05 "$(record_xml hello Custom 0:00.0 0 0)"
write_schedule "$WORK/c/show" 0:00 "$(record_xml hello Custom 0:00.0 0 0)"
removed() { echo "Stick at $WORK/mnt-$1 removed, looking for a stick again"; }
switches() { awk '/ctxt_switches/ { n += $2 } END { print n }' "/proc/$ANNOUNCER_PID/status"; }

# Stick a's chain is due a minute from now, at 9:02:00 local time.
mount_stick /dev/sdq1 "$WORK/mnt-a" "$WORK/a"
start_announcer TZ="$(tz_at 9:02:00 $(($(date +%s) + 60)))"
wait_for_line "Schedule loaded" 5 || fail "stick a was not loaded"
sleep 1 && before=$(switches) && sleep 20 && woken=$(($(switches) - before))
((woken <= 1)) || fail "woke $woken times in 20 seconds of waiting"
mount_stick other "$WORK/other"
! wait_for_line "$(removed a)" 1 || fail "another disk coming was taken for stick a leaving"
umount "$WORK/mnt-a"
wait_for_line "$(removed a)" 2 || fail "stick a pulled mid-wait was not noticed"

# Stick b plays every 5 seconds, with a player that takes 30 seconds: pulled while it plays.
mount_stick /dev/sdq2 "$WORK/mnt-b" "$WORK/b"
wait_for_line "Schedule loaded" 2 2 || fail "stick b was not read within 2 seconds of going in"
wait_for_line "Command is aplay $WORK/mnt-b/show/hello.wav" 7 || fail "stick b did not play"
(($(grep -c "^Didn't find candidate" "$WORK/out.log") <= 2)) || fail "looked for a stick without a pause"
umount "$WORK/mnt-b"
wait_for_line "$(removed b)" 2 || fail "stick b pulled mid-playback was not noticed"

mount_stick /dev/sdq2 "$WORK/mnt-b" "$WORK/b"
wait_for_line "Schedule loaded" 2 3 || fail "stick b was not read again within 2 seconds"
kill -STOP "$ANNOUNCER_PID"
umount "$WORK/mnt-b"
mount_stick /dev/sdq3 "$WORK/mnt-b" "$WORK/c"
wait_announcer 12
[[ $ANNOUNCER_RC == 1 ]] || fail "status $ANNOUNCER_RC after a swap at the same mount point"
(($(grep -cxF "$(removed b)" "$WORK/out.log") == 2)) || fail "the swap at the same point was not seen"
echo PASS
