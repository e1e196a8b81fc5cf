#!/usr/bin/env bash
# Where check says the board looks, on real mounts: a schedule at the top of a stick is never
# found, and of two schedule directories check names the one the announcer then loads.
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"
CTL=$QUILLANE_BUILD_DIR/tools/quillanectl
[[ -x $CTL ]] || skip "quillanectl is not built"

medium() { write_schedule "$1" 5:00 "$(record_xml "$2" Marker 3:00.0 0 0)"; }

medium "$WORK/top" at-top
mount_stick /dev/sdq1 "$WORK/mnt-top" "$WORK/top"
status=0 && "$CTL" check --strict "$WORK/mnt-top" >"$WORK/top.log" || status=$?
[[ $status == 1 ]] || fail "check --strict of a schedule at the top: status $status"
grep -qF "schedule-at-top: $WORK/mnt-top/forVrex.xml lies at the top of the stick" "$WORK/top.log" ||
    fail "no schedule-at-top finding: $(cat "$WORK/top.log")"

medium "$WORK/two/first" first
medium "$WORK/two/second" second
mount_stick /dev/sdq2 "$WORK/mnt-two" "$WORK/two"
start_announcer
wait_for_line "Schedule loaded" 15 || fail "the stick with two schedule directories was not found"
stop_announcer
used=$(sed -n 's/^Record \(.*\) with unknown type Marker found - ignored$/\1/p' "$WORK/out.log")
"$CTL" check "$WORK/mnt-two/second" >"$WORK/two.log" || fail "check of the second directory failed"
grep -qF "the board uses $WORK/mnt-two/$used and ignores" "$WORK/two.log" ||
    fail "check does not name $used, which the announcer loaded: $(cat "$WORK/two.log")"
echo "PASS: the board loaded $used"
