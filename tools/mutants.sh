#!/usr/bin/env bash
# Plants one-line faults in the program, one at a time, and counts those the
# test suite catches. Each fault is made in a scratch copy of the tree; only
# what it touches is rebuilt, the whole suite is run, and the file is put back.
# The faults are listed in tools/mutants.txt, one a line:
#     FILE: TEXT ~> REPLACEMENT
# where TEXT occurs exactly once in FILE (⏎ stands for a line end).
# Usage: tools/mutants.sh [PATTERN]   (only the faults whose line holds PATTERN)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh test
scratch=${SENTROVA_MUTANTS_DIR:-/tmp/sentrova-mutants}
pattern=${1:-}
faults=$(grep -v "^#" tools/mutants.txt | grep -F -- "$pattern" | grep .) || { echo "no fault matches $pattern"; exit 1; }

# plant ROOT [LINE]: plants the fault of LINE under ROOT; without LINE, checks
# that every chosen fault can be planted there.
plant() {
  python3 - "$@" <<'PY'
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
PY
}
FAULTS="$faults" plant .

# The scratch copy: a file whose content changed since the last run is copied
# anew and so is newer than what was built from it; the others keep their time.
# A run cut short while a fault was planted leaves its build untrusted.
if find "$scratch/tree" -name '*.orig' 2>/dev/null | grep -q .; then rm -rf "$scratch/tree" "$scratch/build"; fi
rm -rf "$scratch/stage" && mkdir -p "$scratch/stage" "$scratch/tree"
tar --exclude='./build*' --exclude=./.git -cf - . | tar -xf - -C "$scratch/stage"
(cd "$scratch/stage" && find . -type f) | while IFS= read -r f; do
  cmp -s "$scratch/stage/$f" "$scratch/tree/$f" || { mkdir -p "$(dirname "$scratch/tree/$f")" && cp "$scratch/stage/$f" "$scratch/tree/$f"; }
done
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
build() { cmake --build "$scratch/build" >"$scratch/build.log" 2>&1; }
suite() { (cd "$scratch/build" && ctest -j2 --timeout 120 >"$scratch/test.log" 2>&1); }
cmake -S "$scratch/tree" -B "$scratch/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_UNITY_BUILD=OFF \
  -DSENTROVA_EXTRAS=OFF >/dev/null
build && suite || { echo "the suite must pass before faults are planted (see $scratch/*.log)"; exit 1; }

total=0 caught=0 survivors=()
while IFS= read -r line; do
  file="$scratch/tree/${line%%: *}"
  cp -p "$file" "$file.orig"
  plant "$scratch/tree" "$line"
  total=$((total + 1))
  if ! build; then
    echo "DOES NOT BUILD: $line"; touch "$file.orig"; mv "$file.orig" "$file"; exit 1
  elif suite; then
    survivors+=("$line"); echo "survived: $line"
  else
    caught=$((caught + 1))
    echo "caught by $(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' "$scratch/test.log" | paste -sd,): $line"
  fi
  # Newer than the build of the fault, and put back in one step.
  touch "$file.orig"
  mv "$file.orig" "$file"
done <<<"$faults"
build
echo
echo "faults caught: $caught of $total ($((100 * caught / (total > 0 ? total : 1)))%)"
for survivor in "${survivors[@]}"; do echo "  survived: $survivor"; done
