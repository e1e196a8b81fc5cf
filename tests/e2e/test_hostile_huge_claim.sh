#!/usr/bin/env bash
# A recording whose header claims 4 GiB of samples (about 27 hours) but holds 0.2 s. Through
# the real aplay, playing into a file, in a 5-second interval:
#   0:00 starts at its key:   huge    -> plays at :00 and :05, for as long as it really lasts
#   0:02 starts at its key:   intro   -> plays at :02 and :07, undisturbed
#   0:03 finishes at its key: huge    -> would have to start 27 hours early: never chosen
# The announcer must neither sleep for the claimed length nor stall on the short file.
source "$(dirname "$0")/lib.sh"
need_real_aplay
e2e_setup "$@"

show="$WORK/stick/show"
make_medium "$show" 0.1
write_wav "$show/intro.wav" 0.2 42
{
    printf 'RIFF'; le32 4294967295; printf 'WAVEfmt '; le32 16
    le16 1; le16 1; le32 22050; le32 44100; le16 2; le16 16
    printf 'data'; le32 4294967295
    head -c 8820 /dev/zero | tr '\0' A
} >"$show/huge.wav"
write_schedule "$show" 0:05 "$(record_xml huge Custom 0:00.0 0 0)" \
    "$(record_xml intro Custom 0:02.0 0 0)" "$(record_xml huge Custom 0:03.0 1 0)"
mount_stick /dev/sdq1 "$WORK/mnt" "$WORK/stick"

alsa_to_file "|cat >>$WORK/played.raw"

# Local time hh:mm:58 at the start, between the chains; watched until hh:mm:08.5.
key=$(($(date +%s) + 2))
start_announcer TZ="$(tz_at 10:00:00 "$key")" ALSA_CONFIG_PATH="$WORK/asound.conf"
sleep "$(awk -v t="$key" -v n="$(date +%s.%N)" 'BEGIN { printf "%.3f", t + 8.5 - n }')"
kill -0 "$ANNOUNCER_PID" 2>/dev/null || fail "the announcer stopped"
stop_announcer

m="$WORK/mnt/show"
mapfile -t commands < <(grep '^Command is aplay ' "$WORK/out.log")
expected=("$m/huge.wav" "$m/intro.wav" "$m/huge.wav" "$m/intro.wav")
[[ ${#commands[@]} == 4 ]] || fail "${#commands[@]} player runs, expected 4"
for i in 0 1 2 3; do
    [[ ${commands[i]} == "Command is aplay ${expected[i]}" ]] || fail "run $i: ${commands[i]}"
done
huge=$(tr -cd A <"$WORK/played.raw" | wc -c)
intro=$(tr -cd B <"$WORK/played.raw" | wc -c)
[[ $huge == 17640 && $intro == 17640 ]] || fail "played $huge bytes of huge, $intro of intro"
echo "PASS: the 4 GiB claim played twice for its real length; the timetable went on"
