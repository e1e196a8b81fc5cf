#!/usr/bin/env bash
# The quillanectl executable as a script or a person meets it: help on the program and each
# command, usage errors as one line with status 2, and the exit status of check.
source "$(dirname "$0")/lib.sh"
ctl="${QUILLANE_BUILD_DIR:-}/tools/quillanectl"
[[ -x $ctl ]] || skip "quillanectl was not built"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/quillane-ctl-XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# expect STATUS ARGS...: runs the tool; its output is in $WORK/stdout and $WORK/stderr.
expect() {
    local want=$1 got=0
    shift
    "$ctl" "$@" >"$WORK/stdout" 2>"$WORK/stderr" || got=$?
    [[ $got == "$want" ]] || fail "quillanectl $*: status $got, expected $want"
}

for args in "--help" "check --help" "plan --help" "run --help"; do
    # shellcheck disable=SC2086
    expect 0 $args
    grep -q "^Usage: quillanectl" "$WORK/stdout" || fail "quillanectl $args: no usage"
    [[ ! -s $WORK/stderr ]] || fail "quillanectl $args wrote to standard error"
done

usage_errors=("" "frobnicate" "check" "check a b" "plan d --at 7pm" "plan d --count -1"
    "run" "--no-such-option")
for args in "${usage_errors[@]}"; do
    # shellcheck disable=SC2086
    expect 2 $args
    [[ ! -s $WORK/stdout ]] || fail "quillanectl $args wrote to standard output"
    [[ $(wc -l <"$WORK/stderr") == 1 ]] || fail "quillanectl $args: not one line: $(cat "$WORK/stderr")"
    grep -q "^quillanectl: " "$WORK/stderr" || fail "quillanectl $args: $(cat "$WORK/stderr")"
done

make_medium "$WORK/stick/show"
write_wav "$WORK/stick/show/intro.wav" 1.0
write_schedule "$WORK/stick/show" 5:00 "$(record_xml intro Custom 1:00.0 0 0)"
expect 0 check "$WORK/stick"
grep -qx "No problems found: the stick is usable." "$WORK/stdout" || fail "clean stick: $(cat "$WORK/stdout")"
expect 0 check --json "$WORK/stick/show"
grep -q '"usable": true' "$WORK/stdout" || fail "json: $(cat "$WORK/stdout")"

write_schedule "$WORK/stick/show" 5:00 "$(record_xml missing Custom 1:00.0 0 0)"
expect 0 check "$WORK/stick"
grep -q 'Announcement "missing" (chain 60) is not on the stick' "$WORK/stdout" ||
    fail "missing announcement not reported: $(cat "$WORK/stdout")"

write_schedule "$WORK/stick/show" 500 "$(record_xml intro Custom 1:00.0 0 0)"
expect 1 check "$WORK/stick"
expect 1 plan "$WORK/stick"
expect 1 check "$WORK/nowhere"
expect 1 run "$WORK/nowhere"
[[ $(cat "$WORK/stderr") == "quillanectl: $WORK/nowhere: No such file or directory" ]] ||
    fail "run on a missing directory: $(cat "$WORK/stderr")"
echo "PASS"
