#!/usr/bin/env bash
# A whole announce cycle as a board runs it: the local clock is set (through TZ) to a few
# seconds before the schedule's keys, the sleeps are real, and a recording player logs what it
# is asked to play and when. Four chains in a 5-minute interval, local time 14:31:56:
#   2:00   starts at its key:   intro + spoken 14:35 (the next interval) -> at 14:32:00
#   2:05   finishes at its key: chime of 1.0 s                           -> at 14:32:04
#   2:06   starts at its key:   outro + spoken time 10 minutes earlier   -> at 14:32:06
#   2:06.5 starts at its key:   ding                                     -> at 14:32:06.5
# The player returns at once, so each pass after a play starts within its chain's second:
# still every chain plays exactly once.
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"

show="$WORK/stick/show"
make_medium "$show"
write_wav "$show/intro.wav" 0.5
write_wav "$show/sub dir/chime.wav" 1.0
write_wav "$show/outro.wav" 0.5
write_wav "$show/ding.wav" 0.2
write_schedule "$show" 5:00 \
    "$(record_xml intro Custom 2:00.0 0 0)" "$(record_xml now Timed 0 0 1)" \
    "$(record_xml chime Custom 2:05.0 1 0)" \
    "$(record_xml outro Custom 2:06.0 0 0)" "$(record_xml earlier Timed 0 0 1 -10)" \
    "$(record_xml ding Custom 2:06.5 0 0)"
mount_stick /dev/sdq1 "$WORK/mnt" "$WORK/stick"
fake_aplay

# key: the whole second at which local time reads 14:32:00, far enough ahead for start-up.
key=$(($(date +%s) + 4))
start_announcer TZ="$(tz_at 14:32:00 "$key")"
sleep $((key + 7 - $(date +%s)))
stop_announcer

m="$WORK/mnt/show"
expected=("$m/intro.wav $m/cdnum14.wav $m/cdnum35.wav"
    "$m/sub dir/chime.wav"
    "$m/outro.wav $m/cdnum14.wav $m/cdnum25.wav"
    "$m/ding.wav")
offsets=(0 4 6 6.5)
[[ -f $WORK/aplay.log ]] || fail "nothing was played"
[[ $(wc -l <"$WORK/aplay.log") == "${#expected[@]}" ]] || fail "expected exactly ${#expected[@]} plays"
i=0
while IFS=$'\t' read -r started args; do
    [[ ${args//$'\t'/ } == "${expected[i]}" ]] || fail "play $i: got '$args', expected '${expected[i]}'"
    late=$(awk -v s="$started" -v k="$key" -v o="${offsets[i]}" 'BEGIN { printf "%.3f", s - k - o }')
    # Never early; the slack covers starting the shell and the player.
    awk -v l="$late" 'BEGIN { exit !(l >= -0.005 && l <= 0.4) }' ||
        fail "play $i started ${late}s from its planned time"
    echo "play $i: ${late}s after plan"
    i=$((i + 1))
done <"$WORK/aplay.log"

expect_line "Schedule loaded"
expect_line "Command is aplay $m/sub\\ dir/chime.wav"
echo "PASS"
