#!/usr/bin/env bash
# Builds GasCal and runs the whole test suite.
#   ./test.sh [CTEST OPTIONS]             the normal build, in build/
#   ./test.sh --sanitize [CTEST OPTIONS]  AddressSanitizer and UBSan, in build-asan/:
#                                         the first memory error or undefined behaviour
#                                         ends the program and fails its test
source "$(dirname "$0")/scripts/common.sh"
gascal_install_packages
if [ "${1:-}" = "--sanitize" ]; then
  shift
  gascal_build_sanitize
  cd "$GASCAL_BUILD_ASAN"
  gascal_sanitizer_options
else
  gascal_build
  cd "$GASCAL_BUILD"
fi
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 "$@"
