# Shared by run.sh and test.sh: install what is missing, then build.
set -euo pipefail

GASCAL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
GASCAL_BUILD="$GASCAL_ROOT/build"
GASCAL_BUILD_ASAN="$GASCAL_ROOT/build-asan"

GASCAL_PACKAGES=(
  build-essential cmake pkg-config ninja-build mold
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev qt6-charts-dev
  fonts-dejavu-core fonts-tlwg-loma-otf
  qt6-translations-l10n
  xvfb xauth
)

# What building and checking the Debian package needs besides the build:
# .ci/run installs these; ./test.sh builds the package only when they are there.
GASCAL_PACKAGING_PACKAGES=(
  dpkg-dev file lintian desktop-file-utils appstream shared-mime-info
)

gascal_install_packages() {
  gascal_install_list "${GASCAL_PACKAGES[@]}"
}

gascal_install_packaging_tools() {
  gascal_install_list "${GASCAL_PACKAGING_PACKAGES[@]}"
}

gascal_install_list() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# Ninja, and ccache when it is there; a build folder made by another
# generator is configured afresh (its objects stay until rebuilt).
gascal_configure() {
  local dir="$1"; shift
  local generator="Unix Makefiles"
  command -v ninja >/dev/null && generator="Ninja"
  if [ -f "$dir/CMakeCache.txt" ] && ! grep -q "^CMAKE_GENERATOR:INTERNAL=$generator\$" "$dir/CMakeCache.txt"; then
    rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
  fi
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S "$GASCAL_ROOT" -B "$dir" -G "$generator" "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}

# With target names, builds only those (run.sh: the program without the tests).
gascal_build() {
  gascal_configure "$GASCAL_BUILD"
  if [ $# -gt 0 ]; then
    cmake --build "$GASCAL_BUILD" -j"$(nproc)" --target "$@"
  else
    cmake --build "$GASCAL_BUILD" -j"$(nproc)"
  fi
}

# The Debian package (build/gascal_VERSION_ARCH.deb), when its tools are
# installed; the package test skips without it.
gascal_package_if_possible() {
  local p
  for p in "${GASCAL_PACKAGING_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      echo "Not building the package: $p is missing (.ci/run installs it)"
      return 0
    fi
  done
  cmake --build "$GASCAL_BUILD" --target package
}

# The same with AddressSanitizer and UBSan, in a folder of its own.
gascal_build_sanitize() {
  gascal_configure "$GASCAL_BUILD_ASAN" -DGASCAL_SANITIZE=ON
  cmake --build "$GASCAL_BUILD_ASAN" -j"$(nproc)"
}

# Every program of the suite (the tests, and the PrjCom and ecusim they start)
# stops at its first error, with the stack. Leaks are looked for with
# GASCAL_DETECT_LEAKS=1 (system libraries' own in scripts/lsan.supp).
gascal_sanitizer_options() {
  export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=${GASCAL_DETECT_LEAKS:-0}:strict_string_checks=1:detect_stack_use_after_return=1"
  export LSAN_OPTIONS="suppressions=$GASCAL_ROOT/scripts/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="halt_on_error=1:abort_on_error=1:print_stacktrace=1"
}
