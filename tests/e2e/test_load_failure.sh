#!/usr/bin/env bash
# A stick whose schedule cannot be used: the announcer ends at once with exit status 1 (so a
# service manager sees a failure), never with 0 and never by hanging or announcing.
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"
fake_aplay

# expect_load_failure CASE: runs the announcer over the stick now mounted; it must end with 1.
expect_load_failure() {
    start_announcer
    wait_announcer 5
    [[ $ANNOUNCER_RC != running ]] || fail "$1: still running after 5 seconds"
    expect_rc 1
    expect_line "Quillane is initialising"
    expect_no_line "Schedule loaded"
    [[ ! -e $WORK/aplay.log ]] || fail "$1: the player was started"
}

# with_schedule_file CASE CONTENT...: a stick whose schedule file holds CONTENT, then the check.
with_schedule_file() {
    local name=$1
    shift
    rm -rf "$WORK/stick"
    make_medium "$WORK/stick/show" 0.1
    "$@"
    mount_stick /dev/sdq1 "$WORK/mnt" "$WORK/stick"
    expect_load_failure "$name"
    unmount_sticks
}

record=$(record_xml intro Custom 0:10.0 0 0)
with_schedule_file "interval too short" write_schedule "$WORK/stick/show" 5:0 "$record"
with_schedule_file "interval without colon" write_schedule "$WORK/stick/show" 5000 "$record"
with_schedule_file "interval missing" write_schedule "$WORK/stick/show" "" "$record"

with_schedule_file "interval of zero" write_schedule "$WORK/stick/show" 0:00 "$record"
grep -qF "0:00" "$WORK/out.log" || fail "the refused interval is not named"

empty_file() { : >"$WORK/stick/show/forVrex.xml"; }
with_schedule_file "empty schedule file" empty_file

# Discovery accepts any object of the schedule's name; a directory cannot be read as a schedule.
schedule_dir() { mkdir -p "$WORK/stick/show/forVrex.xml"; }
with_schedule_file "schedule file is a directory" schedule_dir

echo "PASS"
