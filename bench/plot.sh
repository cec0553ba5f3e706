#!/usr/bin/env bash
# Runs the in-process benchmark (bench/compact_benchmark.cpp) and plots the
# time per entry against the number of entries, one line per junction count,
# into docs/time_per_entry.png. The raw results go to
# docs/benchmark_results.csv. Usage: bench/plot.sh [min seconds per case]
set -euo pipefail
cd "$(dirname "$0")/.."
min_time=${1:-0.5}

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target compact_benchmark >/dev/null

csv=docs/benchmark_results.csv
mkdir -p docs
build/bench/compact_benchmark --benchmark_format=csv \
  --benchmark_min_time="$min_time" 2>/dev/null >"$csv"

# One data block per series ("BM_X/junctions:J"), rows of: entries, ns/entry.
data=$(mktemp)
trap 'rm -f "$data"' EXIT
awk -F, 'NR > 1 && $1 !~ /_(BigO|RMS)"?$/ {
           gsub(/"/, "", $1); n = split($1, part, "/")
           series = part[1] "/" part[2]
           if (series != last) { if (last != "") printf "\n\n"; printf "# %s\n", series; last = series }
           printf "%s %.1f\n", part[3], $NF * 1e9
         }' "$csv" >"$data"
titles=$(grep '^# ' "$data" | sed 's/^# //; s/BM_//; s#/junctions:#, junctions #')

{
  echo "set terminal png size 900,560 font ',10'"
  echo "set output 'docs/time_per_entry.png'"
  echo "set title 'Time per entry over the in-memory volume (lower is better)'"
  echo "set xlabel 'entries in the list'"
  echo "set ylabel 'ns per entry (log scale)'"
  echo "set logscale x"
  echo "set grid"
  echo "set key top left"
  echo "set logscale y"
  printf "plot "
  i=0
  while IFS= read -r title; do
    [ $i -gt 0 ] && printf ", "
    printf "'%s' index %d using 1:2 with linespoints title '%s'" "$data" "$i" "$title"
    i=$((i + 1))
  done <<<"$titles"
  echo
} | gnuplot

echo "wrote docs/time_per_entry.png and $csv"
