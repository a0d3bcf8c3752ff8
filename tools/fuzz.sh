#!/usr/bin/env bash
# Runs every fuzz target for the given number of seconds each (default 600),
# starting from the seed corpus in tests/fuzz/corpus. New inputs go to
# build-fuzz/corpus-<target>; crashes to build-fuzz/findings-<target>.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
dpkg-query -W clang >/dev/null 2>&1 || { echo "needs clang: apt-get install clang"; exit 1; }
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSENTROVA_FUZZ=ON -DBUILD_TESTING=ON >/dev/null
targets=$(sed -n 's/^set(SENTROVA_FUZZ_TARGETS \(.*\))/\1/p' tests/fuzz/CMakeLists.txt)
for t in $targets; do
  cmake --build build-fuzz --target "$t"
  mkdir -p "build-fuzz/corpus-$t" "build-fuzz/findings-$t"
  exe=$(find build-fuzz -name "$t" -type f -perm -u+x | head -1)
  echo "== $t for ${seconds}s"
  "$exe" -max_total_time="$seconds" -max_len=65536 -artifact_prefix="build-fuzz/findings-$t/" \
    "build-fuzz/corpus-$t" "tests/fuzz/corpus/$t" 2>&1 | tail -5
done
