#!/usr/bin/env bash
# quillanectl run through the real aplay, on an ALSA setup without a sound card: one line saying
# so and how to run anyway; with --device, one line per announcement as it starts while the
# samples play into a file (the ALSA file plugin); with --trace, the board's own lines. And
# quillanectl's output into a full disk fails the command.
source "$(dirname "$0")/lib.sh"
command -v aplay >/dev/null || skip "aplay (alsa-utils) is missing"
e2e_setup "$@"
CTL=$QUILLANE_BUILD_DIR/tools/quillanectl
[[ -x $CTL ]] || skip "quillanectl is not built"
show="$WORK/stick/show"
write_wav "$show/intro.wav" 0.3 300
write_wav "$show/times/cdnum9.wav" 0.25 1500
write_wav "$show/times/cdnum05.wav" 0.2 1700
write_schedule "$show" 5:00 "$(record_xml intro Custom 2:00.0 0 0)" "$(record_xml now Timed 2:00.0 0 1)"
printf '</usr/share/alsa/alsa.conf>\npcm.!default { type hw card 99 }\n%s "%s" format "raw" }\n' \
    'pcm.tofile { type file slave.pcm "null" file' "$WORK/played.raw" >"$WORK/asound.conf"
export ALSA_CONFIG_PATH="$WORK/asound.conf"

status=0 && "$CTL" run "$show" >"$WORK/none.log" 2>&1 || status=$?
[[ $status == 1 && $(wc -l <"$WORK/none.log") == 1 ]] || fail "no sound card: $status $(cat "$WORK/none.log")"
grep -qF "no sound output that aplay can play on (aplay: " "$WORK/none.log" &&
    grep -qF "To run anyway, without a sound: quillanectl run --device null $show" "$WORK/none.log" ||
    fail "not said how to run anyway: $(cat "$WORK/none.log")"

# run_at ARGS...: run from three seconds before local time 9:02:00, when the chain at 2:00 plays
# and says 9:05, until two seconds after.
run_at() {
    local key=$(($(date +%s) + 3))
    TZ="$(tz_at 9:02:00 "$key")" "$CTL" run "$@" "$show" >"$WORK/run.log" 2>&1 &
    sleep $((key + 2 - $(date +%s)))
    kill -TERM $! && wait $! || true
}
run_at --device tofile
printf 'Announcing from %s; Ctrl-C ends it\n09:02:00 intro, the time 09:05\n' "$show" |
    cmp -s - "$WORK/run.log" || fail "run printed: $(cat "$WORK/run.log")"
for name in intro times/cdnum9 times/cdnum05; do tail -c +45 "$show/$name.wav"; done | tr -d '\0' >"$WORK/expected.raw"
tr -d '\0' <"$WORK/played.raw" | cmp -s - "$WORK/expected.raw" || fail "the played samples differ"
run_at --device null --trace
grep -qxF "Command is aplay -D null $show/intro.wav $show/times/cdnum9.wav $show/times/cdnum05.wav" \
    "$WORK/run.log" && grep -qx "GetTimeOffset: 9:1:5[78] 11[78]" "$WORK/run.log" ||
    fail "not the board's lines: $(cat "$WORK/run.log")"

for command in "check --json" plan; do
    status=0 && $CTL $command "$show" >/dev/full 2>"$WORK/full.log" || status=$?
    [[ $status == 1 ]] && grep -qF "could not be written" "$WORK/full.log" || fail "$command into a full disk: $status"
done
echo PASS
