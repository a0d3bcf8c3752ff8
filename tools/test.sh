#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to the whole test suite: the
# sources' layout (tools/format.sh), the ordinary build and its Debian package,
# then the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer,
# where any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh test
tools/format.sh --check

export QT_QPA_PLATFORM=offscreen
tools/build.sh build Release
(cd build && ctest --output-on-failure --timeout 300)
tools/package.sh build

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSENTROVA_SANITIZE=ON -DSENTROVA_EXTRAS=OFF >/dev/null
cmake --build build-asan
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
(cd build-asan && ctest --output-on-failure --timeout 600)
