#!/usr/bin/env bash
# The Debian packages cpack builds from this build, as a board or a PC gets them: lintian finds
# no fault; dpkg installs them into a scratch root with each file in its package, runs nothing
# and enables nothing; the service and the stick rule start the installed programs, and systemd
# accepts the service; dpkg removes them again without a trace.
# shellcheck disable=SC2015 # a && b || fail: fails when either does
# shellcheck disable=SC2086 # the lists of files are split into words
source "$(dirname "$0")/lib.sh" # skip, fail
for tool in cpack dpkg dpkg-deb lintian systemd-analyze; do
    command -v "$tool" >/dev/null || skip "$tool is missing"
done
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cpack -G DEB --config "$QUILLANE_BUILD_DIR/CPackConfig.cmake" -B "$WORK/out" >"$WORK/log" 2>&1 ||
    fail "cpack failed: $(tail -n 20 "$WORK/log")"

# The regular files of each package, beside its copyright and changelog.
declare -A FILES=(
    [quillane]="usr/bin/quillane usr/libexec/quillane/quillane-mount
        lib/systemd/system/quillane.service lib/udev/rules.d/90-quillane-media.rules
        usr/share/man/man8/quillane.8.gz"
    [quillanectl]="usr/bin/quillanectl usr/share/man/man1/quillanectl.1.gz"
)
# A build given the studio page carries it for init.
[[ ! -f $QUILLANE_BUILD_DIR/tools/quillane-studio.html ]] ||
    FILES[quillanectl]+=" usr/share/quillane/quillane-studio.html"
packages=(quillane)
[[ -x $QUILLANE_BUILD_DIR/tools/quillanectl ]] && packages+=(quillanectl)
debs=("$WORK"/out/*.deb)
[[ ${#debs[@]} == "${#packages[@]}" ]] || fail "cpack made ${debs[*]##*/}, expected ${packages[*]}"
lintian --fail-on error,warning "${debs[@]}" >"$WORK/lintian.log" 2>&1 ||
    fail "lintian: $(cat "$WORK/lintian.log")"
for pkg in "${packages[@]}"; do
    deb=$(echo "$WORK/out/${pkg}_"*.deb)
    [[ $(dpkg-deb -f "$deb" Package) == "$pkg" ]] || fail "$deb is not the package $pkg"
    expected=$(printf '%s\n' ${FILES[$pkg]} usr/share/doc/"$pkg"/{copyright,changelog.gz} | sort)
    listed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print substr($6, 3) }' | sort)
    [[ $listed == "$expected" ]] || fail "$pkg holds:"$'\n'"$listed"$'\n'"expected:"$'\n'"$expected"
    # Maintainer scripts would be the only way to start or enable anything on install.
    scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -vxE '\./|\./(control|md5sums)') &&
        fail "$pkg runs maintainer scripts: $scripts"
done
# The announcer links nothing beyond the C and C++ libraries and libsystemd where it was built
# with it (and in a -DQUILLANE_SANITIZE build the sanitizers' runtimes); aplay comes from alsa-utils.
deps=$(dpkg-deb -f "$WORK"/out/quillane_*.deb Depends | sed -E 's/ \([^)]*\)//g; s/, /\n/g' |
    grep -vE '^(lib(a|ub)san[0-9]+|libsystemd0)$' | sort)
[[ $deps == $'alsa-utils\nlibc6\nlibgcc-s1\nlibstdc++6' ]] || fail "quillane depends on: $deps"

root="$WORK/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg --root="$root" --force-depends -i "${debs[@]}" >"$WORK/log" 2>&1 ||
    fail "dpkg -i: $(cat "$WORK/log")"
for pkg in "${packages[@]}"; do
    [[ $(dpkg-query --root="$root" -W -f='${Status}' "$pkg") == "install ok installed" ]] ||
        fail "dpkg did not install $pkg"
done

# The programs the service and the rule start are the installed ones.
grep -qx "ExecStart=/usr/bin/quillane" "$root/lib/systemd/system/quillane.service" ||
    fail "the service does not start /usr/bin/quillane"
runs=$(grep -o 'RUN+="[^ "]*' "$root/lib/udev/rules.d/90-quillane-media.rules" | sort -u)
[[ $runs == 'RUN+="/usr/libexec/quillane/quillane-mount' ]] || fail "the rule runs: $runs"
cp -an /lib/systemd/system/. "$root/lib/systemd/system/"
out=$(systemd-analyze verify --root="$root" --man=no quillane.service 2>&1) && [[ -z $out ]] ||
    fail "systemd-analyze verify: $out"

dpkg --root="$root" -r "${packages[@]}" >"$WORK/log" 2>&1 || fail "dpkg -r: $(cat "$WORK/log")"
for pkg in "${packages[@]}"; do
    for file in ${FILES[$pkg]} usr/share/doc/"$pkg"; do
        [[ ! -e $root/$file ]] || fail "dpkg -r left /$file behind"
    done
done
echo "packages ${packages[*]}: lint, contents, install, service, rule and removal checked"
