#!/usr/bin/env bash
# A stick whose schedule cannot be used: the announcer says why in one line and ends at once
# with status 1 (the service restarts it), never hanging, never announcing.
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"
fake_aplay
show="$WORK/mnt/show"
record=$(record_xml intro Custom 0:10.0 0 0)
cases=(
    "write_schedule $show 5:0 '$record'|"
    "write_schedule $show 0:00 '$record'|Interval 0:00 is not longer than zero - schedule not loaded"
    ": >$show/forVrex.xml|"
    "mkdir $show/forVrex.xml|$show/forVrex.xml is not a regular file - schedule not loaded"
    "mkfifo $show/forVrex.xml|$show/forVrex.xml is not a regular file - schedule not loaded"
    "head -c 16777217 /dev/zero >$show/forVrex.xml|$show/forVrex.xml is larger than 16 MiB - schedule not loaded"
)
for case in "${cases[@]}"; do
    mount_stick /dev/sdq1 "$WORK/mnt"
    mkdir -p "$show"
    write_wav "$show/intro.wav" 0.1
    eval "${case%%|*}"
    start_announcer
    wait_announcer 5
    [[ $ANNOUNCER_RC == 1 ]] || fail "${case%%|*}: status $ANNOUNCER_RC, expected 1"
    [[ -z ${case#*|} ]] || expect_line "${case#*|}"
    [[ ! -e $WORK/aplay.log ]] || fail "${case%%|*}: the player was started"
    unmount_sticks
done
echo PASS
