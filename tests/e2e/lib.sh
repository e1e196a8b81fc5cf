# shellcheck shell=bash
# Shared helpers for end-to-end tests of the announcer, sourced by tests/e2e/test_*.sh.
#
# A test calls e2e_setup "$@" first: it skips (exit 77) where it cannot run, then re-runs the
# test script as root in a private mount namespace, where a tmpfs mounted with a device name
# such as /dev/sdq1 shows up in /proc/mounts exactly like a USB stick, for this test only.
# Everything the test makes lives under $WORK, removed at exit.
#
# Typical use:
#   source "$(dirname "$0")/lib.sh"; e2e_setup "$@"
#   make_medium "$WORK/stick/show"                     # every spoken-time recording
#   write_wav "$WORK/stick/show/intro.wav" 0.5 41      # 0.5 s of bytes 0x41
#   write_schedule "$WORK/stick/show" 5:00 "$(record_xml intro Custom 2:00.0 0 0)"
#   mount_stick /dev/sdq1 "$WORK/mnt" "$WORK/stick"
#   fake_aplay
#   start_announcer TZ="$(tz_at 14:31:57 "$(date +%s)")"; wait_for_line "Schedule loaded" 5
#   stop_announcer; expect_line "..."

set -euo pipefail

skip() {
    echo "SKIP: $*"
    exit 77
}

fail() {
    echo "FAIL: $*" >&2
    if [[ -n ${WORK:-} && -f $WORK/out.log ]]; then
        echo "--- announcer output:" >&2
        tail -n 60 "$WORK/out.log" >&2
        [[ -s $WORK/err.log ]] && { echo "--- announcer errors:" >&2; tail -n 20 "$WORK/err.log" >&2; }
    fi
    [[ -n ${WORK:-} && -s $WORK/aplay.log ]] && { echo "--- player log:" >&2; cat "$WORK/aplay.log" >&2; }
    exit 1
}

e2e_setup() {
    [[ -n ${QUILLANE:-} && -x ${QUILLANE:-} ]] || skip "QUILLANE does not name the built announcer"
    [[ $(id -u) -eq 0 ]] || skip "needs root to mount in a private mount namespace"
    command -v unshare >/dev/null || skip "unshare (util-linux) is missing"
    if [[ -z ${QUILLANE_E2E_IN_NAMESPACE:-} ]]; then
        unshare -m --propagation private true 2>/dev/null ||
            skip "this machine refuses private mount namespaces"
        QUILLANE_E2E_IN_NAMESPACE=1 exec unshare -m --propagation private bash "$0" "$@"
    fi
    WORK=$(mktemp -d "${TMPDIR:-/tmp}/quillane-e2e-XXXXXX")
    E2E_MOUNTS=()
    ANNOUNCER_PID=""
    trap e2e_cleanup EXIT
}

e2e_cleanup() {
    stop_announcer
    unmount_sticks
    rm -rf "$WORK"
}

# le16/le32 VALUE: the value's bytes, little-endian.
# shellcheck disable=SC2059 # the format is the escaped bytes themselves
le16() { printf "$(printf '\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }

# write_wav FILE SECONDS [HEXBYTE]: a playable recording (PCM, mono, 16 bit, 22050 Hz) whose
# sample bytes all equal HEXBYTE (default 00), so its sound can be recognised where it ends up.
write_wav() {
    local file=$1 samples bytes fill
    samples=$(awk -v s="$2" 'BEGIN { printf "%d", s * 22050 + 0.5 }')
    bytes=$((samples * 2))
    fill=$(printf '\\%03o' "0x${3:-00}")
    mkdir -p "$(dirname "$file")"
    {
        printf 'RIFF'; le32 $((36 + bytes)); printf 'WAVEfmt '; le32 16
        le16 1; le16 1; le32 22050; le32 44100; le16 2; le16 16
        printf 'data'; le32 "$bytes"
        head -c "$bytes" /dev/zero | tr '\0' "$fill"
    } >"$file"
}

# make_medium DIR [SECONDS]: every recording a spoken time can need (cdhour00-23, cdnum1-9,
# cdnum00-59), each SECONDS long (default 0.3).
make_medium() {
    local dir=$1 n names=()
    mkdir -p "$dir"
    for n in $(seq -w 0 23); do names+=("cdhour$n"); done
    for n in $(seq 1 9) $(seq -w 0 59); do names+=("cdnum$n"); done
    write_wav "$dir/${names[0]}.wav" "${2:-0.3}"
    for n in "${names[@]:1}"; do cp "$dir/${names[0]}.wav" "$dir/$n.wav"; done
}

# record_xml NAME TYPE TIMING FINISH AFTER [OFFSET]: one record definition.
record_xml() {
    printf '<Record><m_Name>%s</m_Name><Type>%s</Type><m_TimingTime>%s</m_TimingTime>' "$1" "$2" "$3"
    printf '<m_FinishAtTime>%s</m_FinishAtTime><m_AfterMsg>%s</m_AfterMsg>' "$4" "$5"
    printf '<m_OffsetTime>%s</m_OffsetTime></Record>\n' "${6:-0}"
}

# write_schedule DIR FREQUENCY [RECORD_XML...]: DIR/forVrex.xml with an interval of FREQUENCY.
write_schedule() {
    local dir=$1 freq=$2
    shift 2
    mkdir -p "$dir"
    {
        printf '<?xml version="1.0"?>\n<Schedule>\n<m_Frequency>%s</m_Frequency>\n<Records>\n' "$freq"
        printf '%s\n' "$@"
        printf '</Records>\n</Schedule>\n'
    } >"$dir/forVrex.xml"
}

# mount_stick DEVICE MOUNTPOINT [SOURCE]: a tmpfs named DEVICE at MOUNTPOINT holding a copy of
# the contents of SOURCE; it is listed in /proc/mounts after every earlier mount.
mount_stick() {
    mkdir -p "$2"
    mount -t tmpfs -o size=64m "$1" "$2" || fail "cannot mount a tmpfs as $1 at $2"
    E2E_MOUNTS+=("$2")
    [[ -z ${3:-} ]] || cp -a "$3"/. "$2"/
}

unmount_sticks() {
    local i
    for ((i = ${#E2E_MOUNTS[@]} - 1; i >= 0; i--)); do umount "${E2E_MOUNTS[i]}" 2>/dev/null || true; done
    E2E_MOUNTS=()
}

# fake_aplay: puts an aplay first on the announcer's PATH that plays nothing and appends one
# line per run to $WORK/aplay.log: its start time (seconds since the epoch, with nanoseconds),
# then each argument, separated by tabs.
fake_aplay() {
    mkdir -p "$WORK/bin"
    cat >"$WORK/bin/aplay" <<EOF
#!/bin/bash
started=\$(date +%s.%N)
(IFS=\$'\\t'; printf '%s\\t%s\\n' "\$started" "\$*") >>"$WORK/aplay.log"
EOF
    chmod +x "$WORK/bin/aplay"
    E2E_PATH="$WORK/bin:$PATH"
}

# tz_at HH:MM:SS EPOCH: a POSIX time zone in which EPOCH (whole seconds) reads HH:MM:SS locally.
tz_at() {
    local h m s delta sign=-
    IFS=: read -r h m s <<<"$1"
    delta=$(((10#$h * 3600 + 10#$m * 60 + 10#$s - $2 % 86400 + 86400 + 43200) % 86400 - 43200))
    # POSIX offsets count west of Greenwich: a zone ahead of UTC has a negative one.
    ((delta >= 0)) || { sign=+; delta=$((-delta)); }
    printf 'QLN%s%02d:%02d:%02d' "$sign" $((delta / 3600)) $((delta / 60 % 60)) $((delta % 60))
}

# start_announcer [NAME=VALUE...]: runs the announcer in the background with the fake player's
# PATH (when fake_aplay was called) and the given environment; output in $WORK/out.log.
start_announcer() {
    : >"$WORK/out.log"
    env PATH="${E2E_PATH:-$PATH}" "$@" "$QUILLANE" >"$WORK/out.log" 2>"$WORK/err.log" &
    ANNOUNCER_PID=$!
    ANNOUNCER_RC=running
}

# wait_announcer SECONDS: waits for the announcer to end; ANNOUNCER_RC is its exit status, or
# "running" when it is still running after SECONDS.
wait_announcer() {
    local deadline=$((SECONDS + $1))
    while kill -0 "$ANNOUNCER_PID" 2>/dev/null && ((SECONDS < deadline)); do sleep 0.1; done
    if ! kill -0 "$ANNOUNCER_PID" 2>/dev/null; then
        ANNOUNCER_RC=0
        wait "$ANNOUNCER_PID" || ANNOUNCER_RC=$?
        ANNOUNCER_PID=""
    fi
}

# stop_announcer: ends the announcer started last, if it still runs.
stop_announcer() {
    [[ -n ${ANNOUNCER_PID:-} ]] || return 0
    kill -TERM "$ANNOUNCER_PID" 2>/dev/null || true
    wait "$ANNOUNCER_PID" 2>/dev/null || true
    ANNOUNCER_PID=""
}

# wait_for_line TEXT SECONDS: true once the output holds the line TEXT exactly.
wait_for_line() {
    local deadline=$((SECONDS + $2))
    until grep -qxF -- "$1" "$WORK/out.log"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

expect_line() { grep -qxF -- "$1" "$WORK/out.log" || fail "no output line: $1"; }
expect_no_line() { ! grep -qxF -- "$1" "$WORK/out.log" || fail "unexpected output line: $1"; }
expect_rc() { [[ $ANNOUNCER_RC == "$1" ]] || fail "exit status $ANNOUNCER_RC, expected $1"; }

# Skips unless the real player and the system's ALSA configuration are here.
need_real_aplay() {
    command -v aplay >/dev/null || skip "aplay (alsa-utils) is missing"
    [[ -r /usr/share/alsa/alsa.conf ]] || skip "no ALSA configuration at /usr/share/alsa/alsa.conf"
}

# alsa_to_file FILE: writes $WORK/asound.conf, which sends the default device to FILE as raw
# samples (the ALSA file plugin; "|cat >>PATH" appends every run). Use with
# ALSA_CONFIG_PATH="$WORK/asound.conf": no sound card or system file is needed.
alsa_to_file() {
    cat >"$WORK/asound.conf" <<EOF
</usr/share/alsa/alsa.conf>
pcm.!default {
    type file
    slave.pcm "null"
    file "$1"
    format "raw"
}
EOF
}
