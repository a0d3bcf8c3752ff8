#!/usr/bin/env bash
# Configures and builds. Usage: tools/build.sh [DIR [BUILD_TYPE]]
# (defaults: build, RelWithDebInfo).
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
type="${2:-RelWithDebInfo}"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" >/dev/null
cmake --build "$dir"
