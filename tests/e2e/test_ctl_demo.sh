#!/usr/bin/env bash
# The spoken demo medium passes check without a single problem, and scripts/demo speaks it
# within 30 seconds: here into a WAV file through the ALSA file plugin, with the real aplay.
source "$(dirname "$0")/lib.sh"
ctl="${QUILLANE_BUILD_DIR:-}/tools/quillanectl"
[[ -x $ctl ]] || skip "quillanectl was not built"
for tool in espeak-ng sox aplay timeout; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[[ -r /usr/share/alsa/alsa.conf ]] || skip "ALSA's configuration is missing"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/quillane-demo-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
src="$QUILLANE_SOURCE_DIR"

"$src/scripts/make-demo-medium" "$WORK/medium" >/dev/null || fail "make-demo-medium failed"
"$ctl" check "$WORK/medium" >"$WORK/check.txt" || fail "check failed: $(cat "$WORK/check.txt")"
grep -qx "Recordings: 93 time sounds, 4 announcements" "$WORK/check.txt" ||
    fail "not every recording was accepted: $(cat "$WORK/check.txt")"
grep -qx "No problems found: the stick is usable." "$WORK/check.txt" ||
    fail "the demo medium has problems: $(cat "$WORK/check.txt")"
grep -q "starts at its key" "$WORK/check.txt" && grep -q "finishes at its key" "$WORK/check.txt" &&
    grep -q ", +5 min" "$WORK/check.txt" || fail "both chain kinds and a minute offset expected"

begin=$SECONDS
QUILLANE_DEMO_NO_BUILD=1 QUILLANE_DEMO_TO_FILE=1 QUILLANE_DEMO_SECONDS=30 \
    QUILLANE_DEMO_DIR="$WORK/demo" "$src/scripts/demo" >"$WORK/out.log" 2>"$WORK/err.log" ||
    fail "scripts/demo failed: $(cat "$WORK/err.log")"
((SECONDS - begin < 40)) || fail "the demo did not stop after its 30 seconds"
wav="$WORK/demo/demo-output.wav"
grep -qF "Playing into $wav" "$WORK/out.log" || fail "the demo did not say where the WAV file is"
grep -q "^Command is aplay .*/quillane-demo/" "$WORK/out.log" || fail "nothing was played"
[[ -s $wav ]] || fail "no WAV file written"
# The data chunk's size, at byte 40 of the file plugin's 44-byte header.
data=$(od -An -tu4 -j40 -N4 "$wav" | tr -d ' ')
((data > 22050)) || fail "the WAV file holds $data bytes of sound"
echo "PASS: $(grep -c '^Command is' "$WORK/out.log") announcements, the last $data bytes"
