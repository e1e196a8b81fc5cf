#!/usr/bin/env bash
# A player that cannot play: missing from PATH, or ending with an error at once. The announcer
# must go on with its timetable, one run per chain occurrence, and never spin: chains at 0:00
# and 0:02 of a 5-second interval, watched for 11 seconds, give exactly five runs, and the
# announcer uses next to no processor time meanwhile.
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"

show="$WORK/stick/show"
make_medium "$show" 0.1
write_wav "$show/intro.wav" 0.2
write_wav "$show/chime.wav" 0.2
write_schedule "$show" 0:05 "$(record_xml intro Custom 0:00.0 0 0)" "$(record_xml chime Custom 0:02.0 0 0)"
mount_stick /dev/sdq1 "$WORK/mnt" "$WORK/stick"

sleep_until() {
    sleep "$(awk -v t="$1" -v n="$(date +%s.%N)" 'BEGIN { d = t - n; printf "%.3f", (d > 0 ? d : 0) }')"
}

# cpu_ticks PID: user plus system time the process has used, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# watch_runs CASE PATH: runs the announcer with PATH from local time hh:mm:58 (between the
# chains) to hh:mm:00 + 11 s, and checks it ran the player exactly at the five occurrences.
watch_runs() {
    local key ticks runs
    key=$(($(date +%s) + 2))
    E2E_PATH=$2 start_announcer TZ="$(tz_at 14:00:00 "$key")"
    sleep_until $((key + 11))
    kill -0 "$ANNOUNCER_PID" 2>/dev/null || fail "$1: the announcer stopped"
    ticks=$(cpu_ticks "$ANNOUNCER_PID")
    stop_announcer
    runs=$(grep -c '^Command is aplay ' "$WORK/out.log" || true)
    [[ $runs == 5 ]] || fail "$1: $runs player runs in 11 seconds, expected 5"
    # A spinning loop would use all 11 seconds; the real work is a fraction of one.
    ((ticks < $(getconf CLK_TCK))) || fail "$1: used $ticks clock ticks of processor time"
    echo "$1: 5 runs, $ticks ticks of processor time"
}

mkdir -p "$WORK/nobin"
watch_runs "player missing" "$WORK/nobin"

mkdir -p "$WORK/failbin"
printf '#!/bin/sh\necho "cannot play" >&2\nexit 1\n' >"$WORK/failbin/aplay"
chmod +x "$WORK/failbin/aplay"
watch_runs "player failing" "$WORK/failbin"
echo "PASS"
