# Shared helpers of the set-up scripts. Sourced, not run.

ZELVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages the build, the program and the tests need.
ZELVANE_BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev qt6-base-dev qt6-tools-dev libgl-dev
  qt6-qpa-plugins qt6-translations-l10n fonts-dejavu-core)
# Making the Debian package: gzip for the manual pages, and what CPack's
# DEB generator uses to compute the dependencies (dpkg-shlibdeps, file).
ZELVANE_PACKAGE_PACKAGES=(dpkg-dev file gzip)
ZELVANE_TEST_PACKAGES=(qemu-system-x86 linux-image-amd64 busybox-static cpio
  xorriso genisoimage p7zip-full libarchive-tools xvfb xauth clang libclang-rt-14-dev
  cdrskin wodim growisofs
  "${ZELVANE_PACKAGE_PACKAGES[@]}" lintian man-db groff-base apt util-linux)

# Installs every named package that is not installed yet (apt-get update once).
zelvane_install_missing() {
  local missing=() pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures and builds one build tree: zelvane_build DIR [cmake options...]
zelvane_build() {
  local dir=$1; shift
  cmake -S "$ZELVANE_ROOT" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" --parallel "$(nproc)"
}

# The programs the tests labelled "threads" run, for a ThreadSanitizer tree.
ZELVANE_THREAD_TEST_TARGETS=(zelvane_write_tests erase_tests app_task_tests app_vdrive_task_tests wnaspi32
  zelvane-vdrive zelvane-cli)

# Configures a build tree and builds only some targets:
# zelvane_build_targets DIR "TARGET..." [cmake options...]
zelvane_build_targets() {
  local dir=$1 targets=$2; shift 2
  cmake -S "$ZELVANE_ROOT" -B "$dir" -G Ninja "$@" >/dev/null
  # shellcheck disable=SC2086
  cmake --build "$dir" --parallel "$(nproc)" --target $targets
}
