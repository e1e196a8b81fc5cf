#!/usr/bin/env bash
# A stick whose schedule cannot be used: the announcer says why in one line and ends at once
# with status 1 (the service restarts it), never hanging, never announcing. And a command line it
# cannot use: status 2, where --help and --version print and end.
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"
version=$(sed -n 's/^project(quillane VERSION \([^ ]*\) .*/\1/p' "$QUILLANE_SOURCE_DIR/CMakeLists.txt")
for case in "--help|0|Usage: quillane [--help | --version]" "--version|0|quillane $version" \
    "--bogus|2|quillane: unexpected argument \"--bogus\"" "--help x|2|quillane: unexpected argument \"x\""; do
    IFS='|' read -r args status first <<<"$case"
    # shellcheck disable=SC2086 # the arguments are split into words
    rc=0 && out=$(timeout 5 "$QUILLANE" $args 2>&1) || rc=$?
    [[ $rc == "$status" && ${out%%$'\n'*} == "$first" ]] || fail "quillane $args: status $rc, $out"
done
fake_aplay
show="$WORK/mnt/show"
record=$(record_xml intro Custom 0:10.0 0 0)
cases=(
    "write_schedule $show 5:0 '$record'|"
    "write_schedule $show 0:00 '$record'|Interval 0:00 is not longer than zero - schedule not loaded"
    ": >$show/forVrex.xml|"
    "mkdir $show/forVrex.xml|$show/forVrex.xml is not a regular file - schedule not loaded"
    "mkfifo $show/forVrex.xml|$show/forVrex.xml is not a regular file - schedule not loaded"
    "head -c 16777217 /dev/zero >$show/forVrex.xml|$show/forVrex.xml is larger than 16 MiB - schedule not loaded"
)
for case in "${cases[@]}"; do
    mount_stick /dev/sdq1 "$WORK/mnt"
    mkdir -p "$show"
    write_wav "$show/intro.wav" 0.1
    eval "${case%%|*}"
    start_announcer
    wait_announcer 5
    [[ $ANNOUNCER_RC == 1 ]] || fail "${case%%|*}: status $ANNOUNCER_RC, expected 1"
    [[ -z ${case#*|} ]] || expect_line "${case#*|}"
    [[ ! -e $WORK/aplay.log ]] || fail "${case%%|*}: the player was started"
    unmount_sticks
done
echo PASS
