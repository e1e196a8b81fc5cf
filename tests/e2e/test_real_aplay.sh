#!/usr/bin/env bash
# One announcement through the real aplay, which plays into a file instead of a sound card
# (the ALSA file plugin): the file must hold the chain's samples in order, intro then the
# spoken time, even though the intro's path holds a space.
source "$(dirname "$0")/lib.sh"
need_real_aplay
e2e_setup "$@"

show="$WORK/stick/show"
make_medium "$show" 0.1
# Each recording's samples are one distinct byte, so the played file shows what ran in order.
write_wav "$show/my intro.wav" 0.5 41
write_wav "$show/cdnum9.wav" 0.25 42
write_wav "$show/cdnum05.wav" 0.2 43
write_schedule "$show" 5:00 "$(record_xml "my intro" Custom 2:00.0 0 0)" "$(record_xml now Timed 0 0 1)"
mount_stick /dev/sdq1 "$WORK/mnt" "$WORK/stick"

alsa_to_file "$WORK/played.raw"

# Local time 9:02:00 three seconds from now: the chain at 2:00 plays at 9:02:00 and speaks
# the next interval's start, 9:05 (cdnum9, cdnum05).
key=$(($(date +%s) + 3))
start_announcer TZ="$(tz_at 9:02:00 "$key")" ALSA_CONFIG_PATH="$WORK/asound.conf"
sleep $((key + 3 - $(date +%s)))
stop_announcer

m="$WORK/mnt/show"
expect_line "Command is aplay $m/my\\ intro.wav $m/cdnum9.wav $m/cdnum05.wav"
[[ -s $WORK/played.raw ]] || fail "aplay wrote nothing"
# The player pads between files with silence; what is not silence must be the three sounds.
{
    head -c 22050 /dev/zero | tr '\0' A
    head -c 11026 /dev/zero | tr '\0' B
    head -c 8820 /dev/zero | tr '\0' C
} >"$WORK/expected.raw"
tr -d '\0' <"$WORK/played.raw" | cmp -s - "$WORK/expected.raw" ||
    fail "the played samples are not intro, cdnum9, cdnum05 in order"
echo "PASS"
