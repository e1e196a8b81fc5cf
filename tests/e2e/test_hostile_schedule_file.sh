#!/usr/bin/env bash
# Schedule files that must not be read whole or at all: 50 MB of junk, a FIFO and an endless
# device in the schedule file's place. Each is refused at once with one clear line naming the
# file, and the announcer ends with status 1, without hanging and without playing.
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"
fake_aplay

# refused CASE LINE: runs the announcer over the stick now mounted; it must end with 1 within
# 5 seconds, having printed LINE.
refused() {
    start_announcer
    wait_announcer 5
    [[ $ANNOUNCER_RC != running ]] || fail "$1: still running after 5 seconds"
    expect_rc 1
    expect_line "$2"
    expect_no_line "Schedule loaded"
    [[ ! -e $WORK/aplay.log ]] || fail "$1: the player was started"
    echo "$1: refused with: $2"
}

m="$WORK/mnt/show"
mount_stick /dev/sdq1 "$WORK/mnt"
make_medium "$m" 0.1
head -c $((50 * 1000 * 1000)) /dev/urandom >"$m/forVrex.xml"
refused "50 MB of junk" "$m/forVrex.xml is larger than 16 MiB - schedule not loaded"

rm "$m/forVrex.xml"
mkfifo "$m/forVrex.xml"
refused "a FIFO" "$m/forVrex.xml is not a regular file - schedule not loaded"

rm "$m/forVrex.xml"
mknod "$m/forVrex.xml" c 1 5 # endless zeros, like /dev/zero
refused "an endless device" "$m/forVrex.xml is not a regular file - schedule not loaded"
echo "PASS"
