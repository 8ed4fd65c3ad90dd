#!/usr/bin/env bash
# Builds GasCal and runs the whole test suite.
source "$(dirname "$0")/scripts/common.sh"
gascal_install_packages
gascal_build
cd "$GASCAL_BUILD"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 "$@"
