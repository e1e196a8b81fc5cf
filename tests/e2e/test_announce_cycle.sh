#!/usr/bin/env bash
# shellcheck disable=SC2016 # the names hold $, quotes and backquotes literally
# One announcement through the real aplay, which plays into a file (the ALSA file plugin)
# instead of a sound card: an intro, recordings named as hostile as a stick allows (every byte
# but "/", invalid UTF-8, quotes, $(), operators, newlines, blanks, option-like names), then the
# next interval's time. The file must hold all their samples in order, and nothing may run: each
# name that a shell would execute creates a file in the announcer's working directory. Before it
# the greeting plays as the stick is read, with the time; each run begins with a second of
# silence written in a private directory, which goes when the announcer is ended, and the
# chain's player starts that second before its key.
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
write_wav "$show/times/cdnum01.wav" 0.2 1900
write_wav "$show/welcome.wav" 0.1 2100
write_schedule "$show" 5:00 "${records[@]}" "$(record_xml now Timed 0 0 1)"
sed -i '1s|^|<m_LeadIn>0:01.0</m_LeadIn><m_Greeting>welcome</m_Greeting>|' "$show/forVrex.xml"
mount_stick /dev/sdq1 "$WORK/mnt" "$WORK/stick"
# Each run of the player goes to a file of its own: played.raw, played.raw.0001.
printf '</usr/share/alsa/alsa.conf>\npcm.!default { type file slave.pcm "null" file "%s" format "raw" truncate false }\n' \
    "$WORK/played.raw" >"$WORK/asound.conf"
mkdir -p "$WORK/bin" "$WORK/tmp"
printf '#!/bin/sh\ndate +%%s.%%N >>%q\nexec %q "$@"\n' "$WORK/starts" "$(command -v aplay)" >"$WORK/bin/aplay"
chmod +x "$WORK/bin/aplay"

# Local time 9:02:00 five seconds from now: the chain at 2:00 plays then, saying 9:05; the
# greeting says 9:01.
key=$(($(date +%s) + 5))
mkdir "$WORK/cwd"
cd "$WORK/cwd"
E2E_PATH="$WORK/bin:$PATH"
start_announcer TZ="$(tz_at 9:02:00 "$key")" ALSA_CONFIG_PATH="$WORK/asound.conf" TMPDIR="$WORK/tmp"
sleep $((key + 4 - $(date +%s)))
stop_announcer
[[ -z $(ls -A) ]] || fail "a file name ran a command: $(ls -A)"
[[ -z $(ls -A "$WORK/tmp") ]] || fail "the lead-in's directory was left behind"
lead=$(grep -o "^Command is aplay $WORK/tmp/quillane-[^/ ]*/lead-in.wav " "$WORK/out.log" | sort -u)
[[ $(grep -c "^Command is aplay " "$WORK/out.log") == 2 && $(wc -l <<<"$lead") == 1 ]] ||
    fail "the lead-in was not played first in the greeting and the chain"
expect_line "${lead}$WORK/mnt/show/welcome.wav $WORK/mnt/show/times/cdnum9.wav $WORK/mnt/show/times/cdnum01.wav"
started=$(sed -n 2p "$WORK/starts")
awk -v s="$started" -v k="$key" 'BEGIN { exit !(s >= k - 1 && s < k - 0.7) }' ||
    fail "the chain's player started at $started, not a second before $key"
# The player pads between files with silence: without zero bytes the output is the samples.
samples() { for name in "$@"; do tail -c +45 "$WORK/mnt/show/$name.wav"; done | tr -d '\0'; }
samples welcome times/cdnum9 times/cdnum01 >"$WORK/greeting.raw"
samples "${names[@]}" times/cdnum9 times/cdnum05 >"$WORK/expected.raw"
tr -d '\0' <"$WORK/played.raw" | cmp -s - "$WORK/greeting.raw" || fail "the greeting's samples differ"
tr -d '\0' <"$WORK/played.raw.0001" | cmp -s - "$WORK/expected.raw" || fail "the played samples differ"
cmp -s -n 44100 "$WORK/played.raw.0001" /dev/zero || fail "the chain did not begin with a second of silence"
echo PASS
