#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to the running program.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh run
tools/build.sh build Release sentrova   # the program only, not its tests
exec build/src/sentrova
