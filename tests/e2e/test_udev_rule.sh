#!/usr/bin/env bash
# The udev rule that mounts sticks, as installed, read by the real udev rule engine
# (udevadm test) against loop devices: it parses cleanly, runs the mount helper for a device
# that carries a file system and not for a blank one, and the unmount on removal. Loop devices
# are not named sd*, so a copy of the rule with only that match changed stands in for a stick;
# the rule itself must leave loop devices alone. Runs in a private mount namespace with a /dev
# and /run of its own, so udevadm's device links and database touch nothing outside.
source "$(dirname "$0")/lib.sh"
e2e_setup "$@"
command -v udevadm >/dev/null || skip "udevadm (package udev) is missing"
command -v losetup >/dev/null || skip "losetup is missing"
command -v mkfs.ext4 >/dev/null || skip "mkfs.ext4 is missing"
[[ -d /sys/class/block ]] || skip "no /sys/class/block here"

DESTDIR="$WORK/root" cmake --install "$QUILLANE_BUILD_DIR" --prefix /usr >/dev/null ||
    fail "cmake --install failed"
rule=$(find "$WORK/root" -name 90-quillane-media.rules)
[[ -f $rule ]] || fail "the install has no 90-quillane-media.rules"
helper=/usr/libexec/quillane/quillane-mount
[[ -x $WORK/root$helper ]] || fail "the install has no executable $helper"

LOOPS=()
cleanup() {
    local l
    for l in "${LOOPS[@]}"; do losetup -d "$l" 2>/dev/null || true; done
    e2e_cleanup
}
trap cleanup EXIT
new_loop() {
    truncate -s 16M "$WORK/$1.img"
    [[ $1 == blank ]] || mkfs.ext4 -q -F "$WORK/$1.img" >/dev/null
    loop=$(losetup -f --show "$WORK/$1.img") || skip "no free loop device"
    LOOPS+=("$loop")
}
new_loop stick
stick=$loop
new_loop blank
blank=$loop

mkdir -p "$WORK/rules" "$WORK/nodes"
for node in null "${LOOPS[@]#/dev/}"; do cp -a "/dev/$node" "$WORK/nodes/"; done
mount -t tmpfs tmpfs /run
mount -t tmpfs -o mode=755 tmpfs /dev
cp -a "$WORK/nodes/." /dev/
mount --bind "$WORK/rules" /etc/udev/rules.d

# udev_test ACTION DEVICE: runs the rule engine for the event; fails on any complaint about the
# rule file. The programs it would run are left in $WORK/runs.
udev_test() {
    local out="$WORK/udev.log"
    udevadm test --action="$1" "/sys/class/block/${2#/dev/}" >"$out" 2>&1 ||
        fail "udevadm test $1 $2 failed: $(tail -n 5 "$out")"
    if grep -E "^/etc/udev/rules.d/90-quillane" "$out"; then
        fail "udev complains about the rule"
    fi
    grep -E "^run: " "$out" >"$WORK/runs" || true
}
expect_run() {
    grep -qxF "run: '$helper $1'" "$WORK/runs" || fail "no run of the helper '$1' in: $(cat "$WORK/runs")"
}
expect_no_run() {
    ! grep -qF "$helper" "$WORK/runs" || fail "the helper would run: $(cat "$WORK/runs")"
}

# The rule as shipped: parses cleanly and leaves loop devices alone.
cp "$rule" "$WORK/rules/"
udev_test add "$stick"
expect_no_run

# The same rule matching loop devices instead of sd*.
sed 's/KERNEL!="sd\*"/KERNEL!="loop*"/' "$rule" >"$WORK/rules/90-quillane-media.rules"
cmp -s "$rule" "$WORK/rules/90-quillane-media.rules" && fail "the rule has no KERNEL!=\"sd*\" match"
udev_test add "$stick"
expect_run "add $stick"
udev_test add "$blank"
expect_no_run
udev_test remove "$stick"
expect_run "remove $stick"
udev_test change "$stick"
expect_no_run
echo "udev rule: parsed cleanly, helper runs for add and remove of a file system only"
