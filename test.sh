#!/usr/bin/env bash
# Builds GasCal and runs the whole test suite.
#   ./test.sh [CTEST OPTIONS]             the normal build, in build/
#   ./test.sh --sanitize [CTEST OPTIONS]  AddressSanitizer and UBSan, in build-asan/:
#                                         the first memory error or undefined behaviour
#                                         ends the program and fails its test; one test
#                                         at a time, as the checked programs are slow
source "$(dirname "$0")/scripts/common.sh"
gascal_install_packages
if [ "${1:-}" = "--sanitize" ]; then
  shift
  gascal_build_sanitize
  cd "$GASCAL_BUILD_ASAN"
  gascal_sanitizer_options
  JOBS=1
else
  gascal_build
  gascal_package_if_possible
  cd "$GASCAL_BUILD"
  JOBS=2
fi
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$JOBS" "$@"
