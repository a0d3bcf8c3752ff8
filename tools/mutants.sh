#!/usr/bin/env bash
# Plants one-line faults in the program, one at a time, and counts those the
# test suite catches. Each fault is made in a scratch copy of the tree; only
# what it touches is rebuilt, the whole suite is run, and the file is put back.
#
# Usage: tools/mutants.sh --sample N --seed S
#          N faults drawn from the source by tools/mutagen.py (the score).
#          A fault that does not build is dropped; one listed in
#          tools/mutants-equivalent.txt cannot change behaviour and is not
#          counted.
#        tools/mutants.sh --table [PATTERN]
#          the hand-written faults of tools/mutants.txt (those whose line
#          holds PATTERN), for faults a machine cannot draw: FILE: TEXT ~>
#          REPLACEMENT, TEXT occurring exactly once in FILE (⏎ is a line end).
# --jobs J runs J faults at a time, each in a scratch tree of its own (most of
# a run waits on sockets and timers, not on the processor).
set -euo pipefail
main() {
cd "$(dirname "$0")/.."
mode="" sample="" seed="" pattern="" jobs=1
while [ $# -gt 0 ]; do
  case "$1" in
    --sample) sample=$2; mode=drawn; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --table) mode=table; pattern=${2:-}; shift $(($# > 1 ? 2 : 1)) ;;
    *) echo "usage: tools/mutants.sh [--jobs J] --sample N --seed S | --table [PATTERN]" >&2; exit 2 ;;
  esac
done
[ -n "$mode" ] && { [ "$mode" = table ] || [ -n "$seed" ]; } || { echo "usage: tools/mutants.sh [--jobs J] --sample N --seed S | --table [PATTERN]" >&2; exit 2; }
tools/deps.sh test
base=${SENTROVA_MUTANTS_DIR:-/tmp/sentrova-mutants}

if [ "$mode" = drawn ]; then
  faults=$(python3 tools/mutagen.py --seed "$seed" --sample "$sample")
else
  faults=$(grep -v "^#" tools/mutants.txt | grep -F -- "$pattern" | grep .) || { echo "no fault matches $pattern"; exit 1; }
fi

# plant_table ROOT [LINE]: plants the table's fault of LINE under ROOT;
# without LINE, checks that every chosen fault can be planted there.
plant_table() {
  FAULTS="$faults" python3 -c '
import os, sys
root, lines = sys.argv[1], sys.argv[2:] or os.environ["FAULTS"].splitlines()
for line in lines:
    path, rest = line.split(": ", 1)
    text, replacement = (part.replace("⏎", "\n") for part in rest.split(" ~> ", 1))
    source = open(root + "/" + path, encoding="utf-8").read()
    if source.count(text) != 1:
        sys.exit("found %d times: %s" % (source.count(text), line))
    if len(sys.argv) > 2:
        open(root + "/" + path, "w", encoding="utf-8").write(source.replace(text, replacement))
' "$@"
}
plant() { if [ "$mode" = drawn ]; then python3 tools/mutagen.py --plant "$@"; else plant_table "$@"; fi; }
[ "$mode" = table ] && plant_table .
# A drawn fault without its line number names the same fault after the
# source above it has moved; with it, where the same line stands twice.
unnumbered() { sed 's/^\([^:]*\):[0-9]*: /\1: /' <<<"$1"; }

# worker K: plants every J-th fault from the K-th in a scratch tree of its own,
# and writes one result a line to its results file.
worker() {
  local k=$1 scratch="$base/$1"
  # The scratch copy: a file whose content changed since the last run is
  # copied anew and so is newer than what was built from it; the others keep
  # their time. A run cut short while a fault was planted leaves its build
  # untrusted.
  if find "$scratch/tree" -name '*.orig' 2>/dev/null | grep -q .; then rm -rf "$scratch/tree" "$scratch/build"; fi
  rm -rf "$scratch/stage" && mkdir -p "$scratch/stage" "$scratch/tree"
  tar --exclude='./build*' --exclude=./.git -cf - . | tar -xf - -C "$scratch/stage"
  (cd "$scratch/stage" && find . -type f) | while IFS= read -r f; do
    cmp -s "$scratch/stage/$f" "$scratch/tree/$f" || { mkdir -p "$(dirname "$scratch/tree/$f")" && cp "$scratch/stage/$f" "$scratch/tree/$f"; }
  done
  build() { cmake --build "$scratch/build" >"$scratch/build.log" 2>&1; }
  # SENTROVA_MUTANTS_MATRIX=1 runs the whole suite for every fault and names
  # each failing test function and row, to see which rows catch what.
  suite() {
    if [ -n "${SENTROVA_MUTANTS_MATRIX:-}" ]; then
      (cd "$scratch/build" && ctest -j2 --timeout 60 --output-on-failure >"$scratch/test.log" 2>&1)
    else
      (cd "$scratch/build" && ctest -j2 --stop-on-failure --timeout 60 >"$scratch/test.log" 2>&1)
    fi
  }
  # With Qt's and the program's assertions on, as the sanitizer run of the
  # suite has them, and optimized less than a release, which halves each rebuild.
  cmake -S "$scratch/tree" -B "$scratch/build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1" \
    -DCMAKE_UNITY_BUILD=OFF -DSENTROVA_EXTRAS=OFF >/dev/null
  build && suite || { echo "the suite must pass before faults are planted (see $scratch/*.log)" >&2; exit 1; }
  : >"$scratch/results"
  awk -v j="$jobs" -v k="$k" '(NR - 1) % j == k' <<<"$faults" | while IFS= read -r line; do
    if [ "$mode" = drawn ] && grep -Fxq -e "$line" -e "$(unnumbered "$line")" tools/mutants-equivalent.txt; then
      echo "equivalent: $line"; continue
    fi
    path=${line%%: *}
    file="$scratch/tree/${path%%:*}"
    cp -p "$file" "$file.orig"
    plant "$scratch/tree" "$line"
    if ! build; then
      [ "$mode" = table ] && { echo "DOES NOT BUILD: $line"; touch "$file.orig"; mv "$file.orig" "$file"; exit 1; }
      echo "does not build: $line"
    elif suite; then
      echo "survived: $line"
    else
      echo "caught by $(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' "$scratch/test.log" | paste -sd,)$(
        [ -z "${SENTROVA_MUTANTS_MATRIX:-}" ] || sed -n 's/^FAIL!  : \([^ ]*::[^(]*([^)]*)\).*/\1/p' "$scratch/test.log" | sort -u | paste -sd'|' | sed 's/^/ [/;s/$/]/'): $line"
    fi
    # Newer than the build of the fault, and put back in one step.
    touch "$file.orig"
    mv "$file.orig" "$file"
  done | tee "$scratch/results"
  build
}

export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
rm -f "$base"/*/results
for ((k = 0; k < jobs; k++)); do worker "$k" & done
wait
results=$(cat "$base"/*/results)
count() { grep -c "^$1" <<<"$results" || true; }
caught=$(count "caught by") survived=$(count "survived:")
total=$((caught + survived))
echo
[ "$mode" = drawn ] && echo "seed $seed: drawn $sample, equivalent $(count equivalent:), not building $(count "does not build:")"
echo "faults caught: $caught of $total ($((100 * caught / (total > 0 ? total : 1)))%)"
grep "^survived:" <<<"$results" | sed 's/^/  /' || true
}

main "$@"
