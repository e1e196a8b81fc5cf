#!/usr/bin/env bash
# quillane.service as installed for the system (prefix /usr): systemd's own checker finds
# nothing to say about it, its sandbox rates as well protected, and it still allows what the
# announcer needs: reading /proc/mounts and the sticks, running aplay on the sound cards.
# Checked offline in a scratch root that holds the install and this machine's units.
source "$(dirname "$0")/lib.sh" # skip, fail
command -v systemd-analyze >/dev/null || skip "systemd-analyze (package systemd) is missing"
units=/lib/systemd/system
[[ -f $units/sysinit.target ]] || skip "no systemd units in $units to verify against"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
root="$WORK/root"
DESTDIR="$root" cmake --install "$QUILLANE_BUILD_DIR" --prefix /usr >/dev/null ||
    fail "cmake --install failed"
unit="$root$units/quillane.service"
[[ -f $unit ]] || fail "quillane.service is not installed in $units"
grep -qx "ExecStart=/usr/bin/quillane" "$unit" || fail "ExecStart does not name /usr/bin/quillane"
[[ -x $root/usr/bin/quillane ]] || fail "/usr/bin/quillane is not installed"
cp -an "$units/." "$root$units/"

# Any line from the checker is a fault (unknown keys and bad values are only warnings there).
if ! out=$(systemd-analyze verify --root="$root" --man=no quillane.service 2>&1) || [[ -n $out ]]; then
    fail "systemd-analyze verify: $out"
fi

security() {
    systemd-analyze security --offline=yes --root="$root" --no-pager "$@" quillane.service
}
table=$(security 2>&1) || fail "systemd-analyze security failed: $table"
echo "$table" | tail -n 1
security --threshold=10 >/dev/null 2>&1 || fail "exposure above 1.0: $(echo "$table" | tail -n 1)"
for setting in "User=/DynamicUser=" "NoNewPrivileges=" "ProtectSystem=" "ProtectHome=" \
    "PrivateTmp=" "PrivateNetwork=" "CapabilityBoundingSet=~CAP_SYS_ADMIN" \
    "RestrictAddressFamilies=~AF_(INET|INET6)"; do
    grep -qF "✓ $setting " <<<"$table" || fail "not protected: $setting"
done
# What the announcer must keep: the mount table (not hidden by ProcSubset=pid) and the sound
# devices (not hidden by PrivateDevices=yes), reached through the audio group.
grep -qF "✗ ProcSubset=" <<<"$table" || fail "/proc/mounts would be hidden"
grep -qF "✗ PrivateDevices=" <<<"$table" || fail "/dev/snd would be hidden"
grep -qE "DeviceAllow=.*char-alsa:rw" <<<"$table" || fail "the sound devices are not allowed"
grep -qE "^SupplementaryGroups=(.* )?audio( |$)" "$unit" || fail "the service is not in group audio"
echo "quillane.service: verified, sandbox checked"
