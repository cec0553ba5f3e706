#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz_*) and runs each for a while from its
# seed corpus (<dir>/fuzz_corpus/<name without fuzz_>/). Fails on any crash,
# sanitizer report or broken invariant. Usage: scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for target in build-fuzz/*/fuzz_*; do
  name=$(basename "$target")
  seeds=$(echo */fuzz_corpus/"${name#fuzz_}")
  mkdir -p "$work/$name"
  echo "== $name for ${seconds}s from $seeds"
  # New inputs go to a scratch corpus; the one in the repo stays as it is.
  if ! "$target" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$work/$name-" "$work/$name" "$seeds" \
      >"$work/$name.log" 2>&1; then
    tail -n 60 "$work/$name.log"
    for artifact in "$work/$name"-*; do
      [ -e "$artifact" ] && { echo "input that failed ($artifact):"; od -c "$artifact" | head -20; }
    done
    status=1
  else
    grep -E '^(Done|stat::number_of_executed_units)' "$work/$name.log" || true
  fi
done
exit $status
