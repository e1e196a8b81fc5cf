#!/usr/bin/env bash
# The preparing commands on a real stick change all or nothing: an import interrupted with
# Ctrl-C or TERM leaves no file behind, and voice and init --force on a stick too full for their
# sounds replace none of them.
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"
CTL=$QUILLANE_BUILD_DIR/tools/quillanectl
[[ -x $CTL ]] || skip "quillanectl is not built"

# Twenty minutes of silence, which takes a second or two to convert.
sox -D -n -r 96000 -c 2 -b 16 "$WORK/long.flac" trim 0 1200
mkdir "$WORK/out"
set -m # a job of its own, so that the shell does not make it ignore Ctrl-C
for signal in INT TERM; do
    "$CTL" import "$WORK/long.flac" "$WORK/out" >"$WORK/import.log" 2>&1 &
    for ((i = 0; i < 500; i++)); do
        [[ -z $(ls -A "$WORK/out") ]] || break
        sleep 0.01
    done
    [[ -n $(ls -A "$WORK/out") ]] || fail "import made no temporary file: $(cat "$WORK/import.log")"
    kill -"$signal" %1
    status=0 && wait %1 || status=$?
    [[ $status == $((128 + $(kill -l "$signal"))) ]] || fail "import ended with $status on $signal"
    [[ -z $(ls -A "$WORK/out") ]] || fail "import interrupted with $signal left $(ls -A "$WORK/out")"
done
set +m

# A stick holding the sounds of init and room for about one more.
mkdir "$WORK/stick" && mount -t tmpfs -o size=4m /dev/sdq1 "$WORK/stick" &&
    E2E_MOUNTS+=("$WORK/stick") || fail "cannot mount a stick"
"$CTL" init "$WORK/stick" >/dev/null || fail "init of an empty stick failed"
head -c $((($(stat -f -c %a "$WORK/stick") - 10) * 4096)) /dev/zero >"$WORK/stick/filler"
(cd "$WORK/stick" && find . -type f -exec md5sum {} +) | sort >"$WORK/before.sums"
for command in "voice --voice de" "init --force --voice de"; do
    status=0 && $CTL $command "$WORK/stick" >"$WORK/full.log" 2>&1 || status=$?
    [[ $status == 1 ]] && grep -qF "not enough room on $WORK/stick/announcer" "$WORK/full.log" ||
        fail "$command on a full stick: status $status: $(cat "$WORK/full.log")"
    (cd "$WORK/stick" && find . -type f -exec md5sum {} +) | sort | cmp -s - "$WORK/before.sums" ||
        fail "$command on a full stick changed it"
done
echo PASS
