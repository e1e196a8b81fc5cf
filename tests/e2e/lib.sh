# shellcheck shell=bash
# Shared by the end-to-end tests. A test calls e2e_setup "$@" first: it skips (exit 77) where it
# cannot run, then re-runs the script as root in a private mount namespace, where a tmpfs mounted
# with a device name such as /dev/sdq1 shows in /proc/mounts exactly like a USB stick. Everything
# it makes lives under $WORK.
set -euo pipefail

skip() { echo "SKIP: $*"; exit 77; }
fail() {
    echo "FAIL: $*" >&2
    [[ ! -f ${WORK:-}/out.log ]] || tail -n 40 "$WORK/out.log" >&2
    exit 1
}

e2e_setup() {
    [[ -x ${QUILLANE:-} ]] || skip "QUILLANE does not name the built announcer"
    [[ $(id -u) -eq 0 ]] && command -v sox >/dev/null || skip "needs root (to mount) and sox"
    if [[ -z ${QUILLANE_E2E_IN_NAMESPACE:-} ]]; then
        unshare -m --propagation private true 2>/dev/null || skip "no private mount namespaces"
        QUILLANE_E2E_IN_NAMESPACE=1 exec unshare -m --propagation private bash "$0" "$@"
    fi
    WORK=$(mktemp -d "${TMPDIR:-/tmp}/quillane-e2e-XXXXXX")
    E2E_MOUNTS=() ANNOUNCER_PID=""
    trap 'stop_announcer; unmount_sticks; rm -rf "$WORK"' EXIT
}

# write_wav FILE SECONDS [HZ]: a playable recording, a tone of HZ (default 440).
write_wav() {
    mkdir -p "$(dirname "$1")"
    sox -n -r 22050 -c 1 -b 16 -e signed-integer "$WORK/tone.wav" synth "$2" sine "${3:-440}"
    mv -- "$WORK/tone.wav" "$1"
}

# record_xml NAME TYPE TIMING FINISH AFTER [OFFSET]: one record definition.
record_xml() {
    printf '<Record><m_Name>%s</m_Name><Type>%s</Type><m_TimingTime>%s</m_TimingTime>' "$1" "$2" "$3"
    printf '<m_FinishAtTime>%s</m_FinishAtTime><m_AfterMsg>%s</m_AfterMsg>' "$4" "$5"
    printf '<m_OffsetTime>%s</m_OffsetTime></Record>\n' "${6:-0}"
}

# write_schedule DIR FREQUENCY [RECORD_XML...]: DIR/forVrex.xml.
write_schedule() {
    mkdir -p "$1"
    printf '<m_Frequency>%s</m_Frequency><Records>%s</Records>\n' "$2" "$(printf '%s\n' "${@:3}")" \
        >"$1/forVrex.xml"
}

# mount_stick DEVICE MOUNTPOINT [SOURCE]: a tmpfs named DEVICE holding a copy of SOURCE. A real
# stick comes with its files, so a running announcer is held still while this one is filled.
mount_stick() {
    mkdir -p "$2"
    [[ -z ${ANNOUNCER_PID:-} ]] || kill -STOP "$ANNOUNCER_PID"
    mount -t tmpfs -o size=64m "$1" "$2" && E2E_MOUNTS+=("$2") || fail "cannot mount $1 at $2"
    [[ -z ${3:-} ]] || cp -a "$3"/. "$2"/
    [[ -z ${ANNOUNCER_PID:-} ]] || kill -CONT "$ANNOUNCER_PID"
}

unmount_sticks() {
    for ((i = ${#E2E_MOUNTS[@]} - 1; i >= 0; i--)); do umount "${E2E_MOUNTS[i]}" || true; done
    E2E_MOUNTS=()
}

# fake_aplay [SECONDS]: an aplay first on the announcer's PATH that plays nothing and appends a
# line to $WORK/aplay.log for each run: its arguments, each ended by a NUL byte; then it takes
# SECONDS to end (default: at once).
fake_aplay() {
    mkdir -p "$WORK/bin"
    printf '#!/bin/sh\n{ printf "%%s\\0" "$@"; echo; } >>%q\n%s\n' "$WORK/aplay.log" "${1:+sleep $1}" \
        >"$WORK/bin/aplay"
    chmod +x "$WORK/bin/aplay"
    E2E_PATH="$WORK/bin:$PATH"
}

# tz_at HH:MM:SS EPOCH: a POSIX time zone in which EPOCH reads HH:MM:SS (within 12 hours of UTC).
tz_at() {
    local h m s d
    IFS=: read -r h m s <<<"$1"
    d=$(((($2 - 10#$h * 3600 - 10#$m * 60 - 10#$s) % 86400 + 129600) % 86400 - 43200))
    printf 'QLN%s%d:%02d:%02d' "$( ((d < 0)) && echo - || echo +)" $((${d#-} / 3600)) $((${d#-} / 60 % 60)) \
        $((${d#-} % 60))
}

# start_announcer [NAME=VALUE...]: the announcer in the background, its output in $WORK/out.log.
start_announcer() {
    env PATH="${E2E_PATH:-$PATH}" "$@" "$QUILLANE" >"$WORK/out.log" 2>&1 &
    ANNOUNCER_PID=$!
}

# wait_announcer SECONDS: ANNOUNCER_RC is its exit status, or "running" after SECONDS.
wait_announcer() {
    for ((i = 0; i < $1 * 10; i++)); do kill -0 "$ANNOUNCER_PID" 2>/dev/null && sleep 0.1; done
    ANNOUNCER_RC=running
    ! kill -0 "$ANNOUNCER_PID" 2>/dev/null || return 0
    wait "$ANNOUNCER_PID" && ANNOUNCER_RC=0 || ANNOUNCER_RC=$?
    ANNOUNCER_PID=""
}

stop_announcer() {
    [[ -z ${ANNOUNCER_PID:-} ]] || { kill "$ANNOUNCER_PID" && kill -CONT "$ANNOUNCER_PID" && wait "$ANNOUNCER_PID"; } 2>/dev/null || true
    ANNOUNCER_PID=""
}

# wait_for_line TEXT SECONDS [COUNT]: true once the output holds the line TEXT (COUNT times).
wait_for_line() {
    for ((i = 0; i < $2 * 10; i++)); do
        (($(grep -cxF -- "$1" "$WORK/out.log") >= ${3:-1})) && return 0
        sleep 0.1
    done
    return 1
}

expect_line() { grep -qxF -- "$1" "$WORK/out.log" || fail "no output line: $1"; }
