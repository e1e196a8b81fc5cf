#!/usr/bin/env bash
# `quillanectl plan` agrees line for line with what `quillanectl run` then plays. The local
# clock is set through TZ to 10:59:50 at a known second, so the run crosses the hour (spoken as
# cdhour11); a recording player logs each run's start and files and then takes as long as the
# files last, like aplay. Interval 0:10:
#   0:01.0  starts at its key:   chime (0.5 s)
#   0:05.0  finishes at its key: intro (1 s) + the time
#   0:07.0  starts at its key:   intro + the time 3 minutes on
source "$(dirname "$0")/lib.sh"
ctl="${QUILLANE_BUILD_DIR:-}/tools/quillanectl"
[[ -x $ctl ]] || skip "quillanectl was not built"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/quillane-ctl-XXXXXX")
run_pid=""
trap '[[ -z $run_pid ]] || kill -TERM "$run_pid" 2>/dev/null; rm -rf "$WORK"' EXIT

show="$WORK/stick/show"
make_medium "$show/times"
write_wav "$show/chime.wav" 0.5
write_wav "$show/intro.wav" 1.0
write_schedule "$show" 0:10 \
    "$(record_xml chime Custom 0:01.0 0 0)" \
    "$(record_xml intro Custom 0:05.0 1 0)" "$(record_xml now Timed 0 0 1)" \
    "$(record_xml intro Custom 0:07.0 0 0)" "$(record_xml later Timed 0 0 1 3)"

mkdir -p "$WORK/bin"
cat >"$WORK/bin/aplay" <<EOF
#!/bin/bash
started=\$(date +%s.%N)
(IFS=\$'\\t'; printf '%s\\t%s\\n' "\$started" "\$*") >>"$WORK/aplay.log"
bytes=0
for file in "\$@"; do bytes=\$((bytes + \$(stat -c %s "\$file") - 44)); done
sleep "\$(awk -v b="\$bytes" 'BEGIN { printf "%.3f", b / 44100 }')"
EOF
chmod +x "$WORK/bin/aplay"

start=$(($(date +%s) + 2))
export TZ
TZ=$(tz_at 10:59:50 "$start")
sleep "$(awk -v s="$start" -v n="$(date +%s.%N)" 'BEGIN { printf "%.3f", s - n }')"
PATH="$WORK/bin:$PATH" "$ctl" run "$WORK/stick" >"$WORK/out.log" 2>"$WORK/err.log" &
run_pid=$!
sleep 21
kill -TERM "$run_pid"
wait "$run_pid" 2>/dev/null || true
run_pid=""

[[ -s $WORK/aplay.log ]] || fail "nothing was played"
count=$(wc -l <"$WORK/aplay.log")
((count >= 6)) || fail "only $count plays in 21 seconds"
"$ctl" plan "$WORK/stick" --at 10:59:50 --count "$count" >"$WORK/plan.txt" ||
    fail "plan failed"
[[ $(wc -l <"$WORK/plan.txt") == "$count" ]] || fail "plan printed $(wc -l <"$WORK/plan.txt") lines"

i=0
saw_hour=0
while IFS=$'\t' read -r started args && IFS=$'\t' read -r at key names <&3; do
    played=""
    for file in $args; do played+="${played:+ }$(basename "$file" .wav)"; done
    [[ $played == "$names" ]] || fail "play $i: run played '$played', plan says '$names'"
    [[ $names == *cdhour11* ]] && saw_hour=1
    # The plan's time of day against the player's start, in the same zone.
    planned=$(awk -v t="$at" 'BEGIN { split(t, p, ":"); printf "%.3f", p[1] * 3600 + p[2] * 60 + p[3] }')
    actual=$(date -d "@$started" +%H:%M:%S.%N |
        awk '{ split($0, p, ":"); printf "%.3f", p[1] * 3600 + p[2] * 60 + p[3] }')
    late=$(awk -v a="$actual" -v p="$planned" 'BEGIN { printf "%.3f", a - p }')
    awk -v l="$late" 'BEGIN { exit !(l >= -0.005 && l <= 0.3) }' ||
        fail "play $i ($at $key $names) started ${late}s from the plan"
    echo "play $i: $at key $key: $names (${late}s after plan)"
    i=$((i + 1))
done <"$WORK/aplay.log" 3<"$WORK/plan.txt"
((saw_hour)) || fail "the hour boundary was not spoken as cdhour11"
echo "PASS"
