#!/usr/bin/env bash
# Where check says the board looks, on real mounts: a schedule at the top of a stick is never
# found, and of two schedule directories check names the one the announcer then loads; either
# way nothing of the schedule checked is heard, and check says so with status 1.
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"
CTL=$QUILLANE_BUILD_DIR/tools/quillanectl
[[ -x $CTL ]] || skip "quillanectl is not built"

medium() { write_schedule "$1" 5:00 "$(record_xml "$2" Marker 3:00.0 0 0)"; }

medium "$WORK/top" at-top
mount_stick /dev/sdq1 "$WORK/mnt-top" "$WORK/top"
status=0 && "$CTL" check "$WORK/mnt-top" >"$WORK/top.log" || status=$?
[[ $status == 1 ]] || fail "check of a schedule at the top: status $status"
grep -qF "schedule-at-top: $WORK/mnt-top/forVrex.xml lies at the top of the stick" "$WORK/top.log" ||
    fail "no schedule-at-top finding: $(cat "$WORK/top.log")"
grep -qxF "The stick is not usable: nothing will ever be heard: the board does not look at the top of the stick, and no directory directly below it holds forVrex.xml." "$WORK/top.log" ||
    fail "no verdict that nothing is heard: $(cat "$WORK/top.log")"

medium "$WORK/two/first" first
medium "$WORK/two/second" second
mount_stick /dev/sdq2 "$WORK/mnt-two" "$WORK/two"
start_announcer
wait_for_line "Schedule loaded" 15 || fail "the stick with two schedule directories was not found"
stop_announcer
used=$(sed -n 's/^Record \(.*\) with unknown type Marker found - ignored$/\1/p' "$WORK/out.log")
other=first && [[ $used == first ]] && other=second
status=0 && "$CTL" check "$WORK/mnt-two/$other" >"$WORK/two.log" || status=$?
[[ $status == 1 ]] || fail "check of the directory the board ignores: status $status"
grep -qF "the board uses $WORK/mnt-two/$used and ignores" "$WORK/two.log" ||
    fail "check does not name $used, which the announcer loaded: $(cat "$WORK/two.log")"
grep -qxF "The stick is not usable: nothing of this schedule will ever be heard: the board uses $WORK/mnt-two/$used/forVrex.xml instead." "$WORK/two.log" ||
    fail "no verdict that the board uses $used: $(cat "$WORK/two.log")"
echo "PASS: the board loaded $used"
