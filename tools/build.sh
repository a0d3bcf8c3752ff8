#!/usr/bin/env bash
# Configures and builds. Usage: tools/build.sh [DIR [BUILD_TYPE [TARGET]]]
# (defaults: build, Release, everything). The test, run, package and
# screenshot scripts share build/ as Release, so none rebuilds for another.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
type="${2:-Release}"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" >/dev/null
cmake --build "$dir" ${3:+--target "$3"}
