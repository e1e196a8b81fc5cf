#!/usr/bin/env bash
# The stick pulled out while the announcer waits, then put back with the same files at the same
# place. Through the real aplay, playing into a file: one chain at 0:00 of a 5-second interval
# plays at :00, finds its recording gone at :05, and plays again at :10. The announcer must
# keep running throughout and must not spin while the stick is away.
source "$(dirname "$0")/lib.sh"
need_real_aplay
e2e_setup "$@"

show="$WORK/stick/show"
make_medium "$show" 0.1
write_wav "$show/intro.wav" 0.2 41
write_schedule "$show" 0:05 "$(record_xml intro Custom 0:00.0 0 0)"
mount_stick /dev/sdq1 "$WORK/mnt" "$WORK/stick"

# Every run appends what it plays, so the file shows each playback.
alsa_to_file "|cat >>$WORK/played.raw"

sleep_until() {
    sleep "$(awk -v t="$1" -v n="$(date +%s.%N)" 'BEGIN { d = t - n; printf "%.3f", (d > 0 ? d : 0) }')"
}
# intro_plays: how many times the intro's samples (8820 bytes 0x41) reached the sound output.
intro_plays() { echo $(($(tr -cd A <"$WORK/played.raw" 2>/dev/null | wc -c) / 8820)); }

key=$(($(date +%s) + 3))
start_announcer TZ="$(tz_at 10:00:00 "$key")" ALSA_CONFIG_PATH="$WORK/asound.conf"
sleep_until $((key + 2))
[[ $(intro_plays) == 1 ]] || fail "the first occurrence did not play"
umount -l "$WORK/mnt" || fail "cannot pull the stick out"

sleep_until $((key + 7))
kill -0 "$ANNOUNCER_PID" 2>/dev/null || fail "the announcer stopped when the stick was pulled"
[[ $(intro_plays) == 1 ]] || fail "something played while the stick was out"
mount_stick /dev/sdq1 "$WORK/mnt" "$WORK/stick"

sleep_until $((key + 11))
kill -0 "$ANNOUNCER_PID" 2>/dev/null || fail "the announcer stopped"
stop_announcer
[[ $(intro_plays) == 2 ]] || fail "played $(intro_plays) times, expected 2 (before and after)"
runs=$(grep -c '^Command is aplay ' "$WORK/out.log" || true)
[[ $runs == 3 ]] || fail "$runs player runs, expected 3 (one per occurrence)"
echo "PASS: played, kept running without the stick, played again once it was back"
