#!/usr/bin/env bash
# shellcheck disable=SC2016 # the names hold $, quotes and backquotes literally
# File names as hostile as a stick can hold: every byte from 0x01 to 0xFF except "/" (one name
# per byte, and all of them in two names), invalid UTF-8, quotes, $(), backquotes, operators,
# newlines, leading and doubled blanks, option-like names. The player must receive exactly the
# stored paths, in order, as separate arguments, and the shell must run nothing else: each name
# that a shell would execute creates a file in the announcer's working directory.
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"

show="$WORK/stick/show"
make_medium "$show" 0.1
write_wav "$WORK/template.wav" 0.01
cp "$WORK/template.wav" "$show/intro.wav"

# byte N: the byte of value N into $c (printf -v keeps a newline that $(...) would drop).
byte() { printf -v c "\\x$(printf %02x "$1")"; }

names=()
all_low="" all_high=""
for ((b = 1; b < 256; b++)); do
    ((b == 0x2f)) && continue
    byte $b
    names+=("n$c")
    if ((b < 128)); then all_low+=$c; else all_high+=$c; fi
done
names+=("$all_low" "$all_high")
names+=($'\xc3\x28 bad \xa0\xa1 utf8' "it's" 'say "hi"' '$(touch run1)' '`touch run2`'
    'x;touch run3' 'x|touch run4' 'x&&touch run5' '>run6' $'x\ntouch run7' ' lead' 'two  blanks'
    'trail ' '\back\slash' '$HOME' '*' '?' '[a]' '~' '#hash' '-rf' '--' "'\$(touch run8)'"
    '"$(touch run9)"' '${IFS}touch${IFS}run10' '!' '{a,b}' 'a=b')

records=()
for name in "${names[@]}"; do
    cp "$WORK/template.wav" "$show/$name.wav"
    records+=("$(record_xml "$name" Custom 0:00.0 0 1)")
done
# The chain starts with a plain record; every hostile one joins it.
write_schedule "$show" 0:05 "$(record_xml intro Custom 0:00.0 0 0)" "${records[@]}"
mount_stick /dev/sdq1 "$WORK/mnt" "$WORK/stick"

# The player writes its arguments, NUL-separated, one file per run.
mkdir -p "$WORK/bin" "$WORK/runs" "$WORK/cwd"
cat >"$WORK/bin/aplay" <<END
#!/bin/bash
n=\$(ls "$WORK/runs" | wc -l)
printf '%s\\0' "\$@" >"$WORK/runs/\$n.args"
END
chmod +x "$WORK/bin/aplay"
E2E_PATH="$WORK/bin:$PATH"

cd "$WORK/cwd"
start_announcer
cd - >/dev/null
deadline=$((SECONDS + 15))
while [[ ! -s $WORK/runs/0.args ]] && ((SECONDS < deadline)); do sleep 0.1; done
[[ -s $WORK/runs/0.args ]] || fail "the player did not run within 15 seconds"
sleep 0.5
kill -0 "$ANNOUNCER_PID" 2>/dev/null || fail "the announcer stopped"
stop_announcer

m="$WORK/mnt/show"
{
    printf '%s\0' "$m/intro.wav"
    for name in "${names[@]}"; do printf '%s\0' "$m/$name.wav"; done
} >"$WORK/expected.args"
cmp "$WORK/expected.args" "$WORK/runs/0.args" >/dev/null || {
    cmp "$WORK/expected.args" "$WORK/runs/0.args" >&2 || true
    fail "the player's arguments differ from the stored paths "
}
ran=$(ls -A "$WORK/cwd")
[[ -z $ran ]] || fail "the shell ran commands from file names, they made: $ran"
echo "PASS: ${#names[@]} hostile names reached the player intact; nothing ran"
