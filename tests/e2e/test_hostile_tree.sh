#!/usr/bin/env bash
# A stick whose tree is hostile: symbolic-link loops, links pointing outside the stick (to a
# directory and to recordings there), a link to itself, a directory the announcer may not
# read, a FIFO named x.wav, a device node named y.wav, a file named exactly .wav, and a
# recording 200 directories deep. The catalogue must finish, the deep recording must play,
# and nothing outside the stick or behind the unreadable directory may reach the player.
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"
command -v setpriv >/dev/null || skip "setpriv (util-linux) is missing"

mount_stick /dev/sdq1 "$WORK/mnt"
m="$WORK/mnt/show"
make_medium "$m" 0.1
write_wav "$m/intro.wav" 0.1
deep="$m/$(printf 'd/%.0s' {1..200})deep.wav"
write_wav "$deep" 0.1

write_wav "$WORK/outside/outro.wav" 0.1
write_wav "$WORK/outside/secret.wav" 0.1
ln -s "$WORK/outside" "$m/outside"
ln -s "$WORK/outside/outro.wav" "$m/outro.wav"
ln -s . "$m/loop"
mkdir -p "$m/a/b"
ln -s ../.. "$m/a/b/up"
ln -s self.wav "$m/self.wav"
write_wav "$m/locked/hidden.wav" 0.1
chmod 000 "$m/locked"
mkfifo "$m/x.wav"
mknod "$m/y.wav" c 1 3
write_wav "$m/.wav" 0.1

records=()
for name in deep outro secret self hidden x y "" up loop; do
    records+=("$(record_xml "$name" Custom 0:00.0 0 1)")
done
write_schedule "$m" 0:05 "$(record_xml intro Custom 0:00.0 0 0)" "${records[@]}"
fake_aplay

# Without the capability to override file permissions, as root keeps it, locked/ is unreadable.
start_announcer setpriv --bounding-set=-dac_override,-dac_read_search --
wait_for_line "Schedule loaded" 20 || fail "the catalogue did not finish within 20 seconds"
deadline=$((SECONDS + 12))
while [[ ! -s $WORK/aplay.log ]] && ((SECONDS < deadline)); do sleep 0.1; done
[[ -s $WORK/aplay.log ]] || fail "nothing was played"
kill -0 "$ANNOUNCER_PID" 2>/dev/null || fail "the announcer stopped"
stop_announcer

IFS=$'\t' read -r _ args <"$WORK/aplay.log"
[[ $args == "$m/intro.wav"$'\t'"$deep" ]] || fail "played '$args', expected intro and deep"
echo "PASS: catalogue finished, the deep recording played, nothing else reached the player"
