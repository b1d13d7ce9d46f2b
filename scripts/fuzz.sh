#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, ASan and UBSan, and runs each for a
# while (default 600 s). Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
source "$(dirname "$0")/lib.sh"

seconds=${1:-600}
shift || true
ensure_packages cmake ninja-build qt6-base-dev "${FUZZ_PACKAGES[@]}"
dir=$PLOXA_ROOT/build-fuzz
CC=clang CXX=clang++ configure_and_build "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLOXA_FUZZ=ON \
  -DPLOXA_GUI=ON -DPLOXA_TESTS=OFF
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(find "$dir/fuzz" -maxdepth 2 -type f -name 'fuzz_*' -perm -u+x -printf '%f\n' | sort)
fi
for t in "${targets[@]}"; do
  bin=$(find "$dir/fuzz" -type f -name "$t" | head -n1)
  corpus=$dir/corpus/$t
  mkdir -p "$corpus" "$dir/findings/$t"
  seeds=$PLOXA_ROOT/fuzz/seeds/$t
  [ -d "$seeds" ] || seeds=$dir/seeds/$t
  [ -d "$seeds" ] || seeds=
  options=()
  [ -f "$bin.options" ] && read -ra options < "$bin.options"
  echo "== $t for $seconds s"
  (cd "$dir/findings/$t" && "$bin" -max_total_time="$seconds" -print_final_stats=1 "${options[@]}" "$corpus" $seeds 2>&1 |
    grep -E 'stat::number_of_executed_units|Done [0-9]+ runs|ERROR|SUMMARY|crash-' || true)
done
