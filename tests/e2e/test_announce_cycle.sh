#!/usr/bin/env bash
# shellcheck disable=SC2016 # the names hold $, quotes and backquotes literally
# One announcement through the real aplay, which plays into a file (the ALSA file plugin)
# instead of a sound card: an intro, recordings named as hostile as a stick allows (every byte
# but "/", invalid UTF-8, quotes, $(), operators, newlines, blanks, option-like names), then the
# next interval's time. The file must hold all their samples in order, and nothing may run: each
# name that a shell would execute creates a file in the announcer's working directory.
source "$(dirname "$0")/lib.sh"
command -v aplay >/dev/null || skip "aplay (alsa-utils) is missing"
e2e_setup "$@"
show="$WORK/stick/show"
low="" high="" # every byte, in two names to stay within 255 bytes
for ((b = 1; b < 128; b++)); do ((b == 0x2f)) || printf -v low '%s\x'"$(printf %02x $b)" "$low"; done
for ((b = 128; b < 256; b++)); do printf -v high '%s\x'"$(printf %02x $b)" "$high"; done
names=("my intro" "$low" "$high" $'\xc3\x28 bad' "it's" 'say "hi"' '$(touch run1)' '`touch run2`'
    'x;touch run3' 'x|touch run4' '>run5' $'x\ntouch run6' ' lead' 'trail ' '\b' '$HOME' '*' '?'
    '[a]' '~' '#' '-rf' '--' '"$(touch run7)"' '!' '{a,b}')
records=()
for i in "${!names[@]}"; do
    write_wav "$show/${names[i]}.wav" 0.05 $((200 + 20 * i))
    records+=("$(record_xml "${names[i]}" Custom 2:00.0 0 $((i > 0)))")
done
write_wav "$show/times/cdnum9.wav" 0.25 1500
write_wav "$show/times/cdnum05.wav" 0.2 1700
write_schedule "$show" 5:00 "${records[@]}" "$(record_xml now Timed 0 0 1)"
mount_stick /dev/sdq1 "$WORK/mnt" "$WORK/stick"
printf '</usr/share/alsa/alsa.conf>\npcm.!default { type file slave.pcm "null" file "%s" format "raw" }\n' \
    "$WORK/played.raw" >"$WORK/asound.conf"

# Local time 9:02:00 three seconds from now: the chain at 2:00 plays then, saying 9:05.
key=$(($(date +%s) + 3))
mkdir "$WORK/cwd"
cd "$WORK/cwd"
start_announcer TZ="$(tz_at 9:02:00 "$key")" ALSA_CONFIG_PATH="$WORK/asound.conf"
sleep $((key + 4 - $(date +%s)))
stop_announcer
[[ -z $(ls -A) ]] || fail "a file name ran a command: $(ls -A)"
# The player pads between files with silence: without zero bytes the output is the samples.
for name in "${names[@]}" times/cdnum9 times/cdnum05; do tail -c +45 "$WORK/mnt/show/$name.wav"; done |
    tr -d '\0' >"$WORK/expected.raw"
tr -d '\0' <"$WORK/played.raw" | cmp -s - "$WORK/expected.raw" || fail "the played samples differ"
echo PASS
