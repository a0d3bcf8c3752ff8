#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh test
tools/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300
