#!/usr/bin/env bash
# Builds and runs the benchmarks (optimised, with the reference libraries).
# Usage: scripts/bench.sh [BENCHMARK-EXECUTABLE-NAME...]
source "$(dirname "$0")/lib.sh"

ensure_packages "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
dir=$PLOXA_ROOT/build-bench
configure_and_build "$dir" -DCMAKE_BUILD_TYPE=Release -DPLOXA_BENCH=ON -DPLOXA_TESTS=OFF
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  mapfile -t names < <(find "$dir/bench" -type f -name 'bench_*' -perm -u+x -printf '%f\n' | sort)
fi
for n in "${names[@]}"; do
  bin=$(find "$dir/bench" -type f -name "$n" | head -n1)
  echo "== $n"
  "$bin" --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
done
