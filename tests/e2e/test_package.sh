#!/usr/bin/env bash
# The Debian package built by cpack from this build: its metadata, that dpkg installs it into a
# scratch root with the programs, service, stick rule and manual pages in place and removes it
# again, that installing it starts and enables nothing, and that lintian finds no fault.
source "$(dirname "$0")/lib.sh" # skip, fail
for tool in cpack dpkg dpkg-deb; do
    command -v "$tool" >/dev/null || skip "$tool is missing"
done
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cpack -G DEB --config "$QUILLANE_BUILD_DIR/CPackConfig.cmake" -B "$WORK/out" >"$WORK/cpack.log" 2>&1 ||
    fail "cpack failed: $(tail -n 20 "$WORK/cpack.log")"
debs=("$WORK"/out/quillane_*.deb)
[[ ${#debs[@]} == 1 && -f ${debs[0]} ]] || fail "cpack made no single quillane_*.deb"
deb=${debs[0]}

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == quillane ]] || fail "Package: $(field Package)"
[[ $(field Architecture) == "$(dpkg --print-architecture)" ]] ||
    fail "Architecture: $(field Architecture)"
[[ -n $(field Description) && -n $(field Maintainer) && -n $(field Version) ]] ||
    fail "Description, Maintainer or Version missing"
# aplay comes from alsa-utils; the C and C++ libraries from the programs' own needs.
for dep in alsa-utils libc6 libstdc++6; do
    [[ ", $(field Depends)," == *", $dep"[\ ,]* ]] || fail "Depends lacks $dep: $(field Depends)"
done

# Nothing runs on install: no maintainer scripts, no service enabled by a shipped link.
dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep -vxE '|control|md5sums|conffiles' &&
    fail "the package has maintainer scripts"
dpkg-deb -c "$deb" | grep -F "./etc/systemd" && fail "the package enables a service itself"

root="$WORK/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg --root="$root" --force-depends --force-not-root -i "$deb" >"$WORK/dpkg.log" 2>&1 ||
    fail "dpkg -i failed: $(cat "$WORK/dpkg.log")"
dpkg --root="$root" -s quillane | grep -qx "Status: install ok installed" ||
    fail "dpkg does not list the package as installed"
for file in usr/bin/quillane usr/libexec/quillane/quillane-mount; do
    [[ -x $root/$file ]] || fail "/$file is not an installed program"
done
for file in lib/systemd/system/quillane.service lib/udev/rules.d/90-quillane-media.rules \
    usr/share/man/man8/quillane.8.gz usr/share/doc/quillane/copyright; do
    [[ -s $root/$file ]] || fail "/$file is missing"
done
gzip -t "$root/usr/share/man/man8/quillane.8.gz" || fail "quillane.8.gz is not gzip"
if [[ -x $QUILLANE_BUILD_DIR/tools/quillanectl ]]; then
    [[ -x $root/usr/bin/quillanectl && -s $root/usr/share/man/man1/quillanectl.1.gz ]] ||
        fail "quillanectl or its manual page is missing"
fi
dpkg --root="$root" -r quillane >"$WORK/dpkg.log" 2>&1 || fail "dpkg -r failed: $(cat "$WORK/dpkg.log")"
[[ ! -e $root/usr/bin/quillane && ! -e $root/lib/systemd/system/quillane.service ]] ||
    fail "dpkg -r left the package's files behind"

if command -v lintian >/dev/null; then
    lintian --fail-on error,warning "$deb" >"$WORK/lintian.log" 2>&1 ||
        fail "lintian reports faults: $(cat "$WORK/lintian.log")"
else
    echo "NOTE: lintian is missing, the package was not linted"
fi
echo "package $(basename "$deb"): metadata, install, removal and lint checked"
