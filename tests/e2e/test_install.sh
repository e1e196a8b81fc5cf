#!/usr/bin/env bash
# `cmake --install` staged below DESTDIR: everything lands below it (nothing in the running
# system's directories), the service and the stick rule name the installed programs, the
# installed quillanectl runs, and the manual pages render without a warning.
source "$(dirname "$0")/lib.sh" # skip, fail
[[ -d ${QUILLANE_BUILD_DIR:-} ]] || skip "QUILLANE_BUILD_DIR does not name a build directory"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
prefix="$WORK/root"
DESTDIR="$prefix" cmake --install "$QUILLANE_BUILD_DIR" >"$WORK/install.log" 2>&1 ||
    fail "cmake --install failed: $(cat "$WORK/install.log")"
sed -nE 's/^-- (Installing|Up-to-date): //p' "$WORK/install.log" >"$WORK/files"
[[ -s $WORK/files ]] || fail "cmake --install reported no files"
if grep -vF "$prefix/" "$WORK/files"; then
    fail "files installed outside $prefix"
fi

expect_file() { [[ -f $prefix/$1 ]] || fail "$1 is not installed"; }
expect_program() { [[ -x $prefix/$1 ]] || fail "$1 is not an installed program"; }
expect_program usr/bin/quillane
expect_program usr/libexec/quillane/quillane-mount
expect_file lib/systemd/system/quillane.service
expect_file lib/udev/rules.d/90-quillane-media.rules
expect_file usr/share/man/man8/quillane.8.gz
grep -qx "ExecStart=/usr/bin/quillane" "$prefix/lib/systemd/system/quillane.service" ||
    fail "the service does not start /usr/bin/quillane"
[[ $(grep -c "RUN+=\"/usr/libexec/quillane/quillane-mount " \
    "$prefix/lib/udev/rules.d/90-quillane-media.rules") == 2 ]] ||
    fail "the rule does not run /usr/libexec/quillane/quillane-mount on add and remove"

pages=("$prefix"/usr/share/man/man8/quillane.8.gz)
if [[ -x $QUILLANE_BUILD_DIR/tools/quillanectl ]]; then
    expect_program usr/bin/quillanectl
    expect_file usr/share/man/man1/quillanectl.1.gz
    pages+=("$prefix"/usr/share/man/man1/quillanectl.1.gz)
    "$prefix/usr/bin/quillanectl" --help >"$WORK/help" 2>&1 || fail "installed quillanectl --help failed"
    grep -q "check" "$WORK/help" || fail "installed quillanectl --help names no check command"
fi

if command -v man >/dev/null; then
    for page in "${pages[@]}"; do
        MANWIDTH=80 man --warnings -l "$page" >"$WORK/page" 2>"$WORK/warnings" ||
            fail "man cannot render $page"
        [[ ! -s $WORK/warnings ]] || fail "$page: $(cat "$WORK/warnings")"
        grep -q "^NAME" "$WORK/page" || fail "$page has no NAME section"
    done
else
    echo "NOTE: man is missing, the manual pages were not rendered"
fi
echo "install to $prefix checked"
