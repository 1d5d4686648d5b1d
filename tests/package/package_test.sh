#!/usr/bin/env bash
# Builds the Debian package from this build folder, checks it with lintian
# and by its file list, then installs it with apt into a throw-away root (an
# overlay of this system: the dependencies are there, nothing reaches the real
# system), runs installed_checks.sh there, and after the package is purged
# checks that nothing it brought is left but the user's virtual drive folder.
#
#   package_test.sh BUILD_FOLDER
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1

if [ "$(id -u)" -ne 0 ]; then
    echo "SKIPPED: the throw-away root needs root (mount namespaces and an overlay)"
    exit 77
fi

work=$(mktemp -d /tmp/zelvane-package.XXXXXX)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
debs=("$work"/out/zelvane_*_amd64.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: no single zelvane_VERSION_amd64.deb"; exit 1; }
deb=${debs[0]}
echo "built $(basename "$deb")"

# lintian: no error (the warnings it gives are printed).
lintian --fail-on error "$deb" || { echo "FAIL: lintian reports errors"; exit 1; }

# Only the usual places: programs, the library in the loader's path (and a
# private library folder), and the shared data, documentation, manual,
# completion and desktop folders. A new kind of file must be added here.
unusual=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' |
    grep -Ev '^\./usr/(bin/zelvane(-cli|-vdrive)?|lib/x86_64-linux-gnu/(libwnaspi32\.so(\.1)?|zelvane/[^/]+)|share/(applications/zelvane\.desktop|icons/hicolor/.*/zelvane\.(svg|png)|man/man1/zelvane(-cli|-vdrive)?\.1\.gz|zelvane/help/[^/]+|doc/zelvane/(copyright|changelog\.gz)|bash-completion/completions/zelvane-(cli|vdrive)|lintian/overrides/zelvane))$' || true)
if [ -n "$unusual" ]; then
    echo "FAIL: files outside the usual places:"; echo "$unusual"; exit 1
fi

# The throw-away root, in a mount namespace of its own: everything mounted
# here disappears with the namespace.
mkdir "$work/layers" "$work/root"
status=0
unshare --mount --pid --fork bash -euo pipefail -c '
    work=$1 deb=$2 checks=$3
    root=$work/root layers=$work/layers
    mount -t tmpfs tmpfs "$layers"
    mkdir "$layers/upper" "$layers/work"
    mount -t overlay overlay -o "lowerdir=/,upperdir=$layers/upper,workdir=$layers/work" "$root"
    mount -t proc proc "$root/proc"
    mount -t tmpfs tmpfs "$root/tmp"
    mount -t tmpfs tmpfs "$root/dev"
    for node in null zero full random urandom tty; do
        touch "$root/dev/$node"
        mount --bind "/dev/$node" "$root/dev/$node"
    done
    mkdir "$root/dev/pts"
    mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
    ln -s pts/ptmx "$root/dev/ptmx"
    cp "$deb" "$checks" "$root/tmp/"
    chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C.UTF-8 \
        bash /tmp/installed_checks.sh "/tmp/$(basename "$deb")"

    # After the purge: no file of the package, no folder it made, no
    # system file removed. Left are the records and caches of dpkg, apt,
    # ldconfig, man-db and the icon and desktop caches, and the virtual
    # drive folder the checks used (the user'"'"'s own).
    cd "$layers/upper"
    left=$(find . \( -type c -o -type f -o -type l \) -printf "%p\n" |
        grep -Ev "^\./(var/(lib/(dpkg|apt)|cache|log)/|etc/ld\.so\.cache$|usr/share/icons/hicolor/icon-theme\.cache$|usr/share/applications/mimeinfo\.cache$|root/\.local/share/zelvane/vdrive/)" || true)
    made=$(find . -type d -printf "%P\n" | while read -r folder; do
        [ -z "$folder" ] || [ -d "/$folder" ] || echo "$folder"; done |
        grep -Ev "^root/\.local(/share(/zelvane(/vdrive)?)?)?$" || true)
    if [ -n "$left$made" ]; then
        echo "FAIL: the purged package left behind:"; printf "%s\n" $left $made
        exit 1
    fi
    [ -n "$(find root/.local/share/zelvane/vdrive -name state 2>/dev/null)" ] ||
        { echo "FAIL: the virtual drive folder was not where it belongs"; exit 1; }
    echo "purged: nothing left but ~/.local/share/zelvane/vdrive"
' bash "$work" "$deb" "$here/installed_checks.sh" || status=$?

if [ $status -ne 0 ]; then
    echo "FAIL: the checks in the installed root failed (exit $status)"
    exit 1
fi
echo "PASSED"
