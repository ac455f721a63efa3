#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a while on a copy of
# its seed corpus.  New inputs that widen coverage are left in the copy (the
# path is printed); a crash leaves its input in the current folder and makes
# the script fail.
#
#   bash scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET ...]
#
# CI runs every target for a short time; to hunt for real, give each an
# hour:  bash scripts/fuzz.sh 3600 sql_dialect_fuzz
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
build=${VX_FUZZ_BUILD:-build-fuzz}

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVX_FUZZ=ON -DBUILD_TESTING=OFF -DVX_BUILD_BENCH=OFF >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in fuzz/*_fuzz.cc; do targets+=("$(basename "$src" .cc)"); done
fi
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

# Under CI the same seed each time, so that a run can be repeated; by hand
# a new one each time, so that longer hunts go new ways.
seed=()
[ -n "${CI:-}" ] && seed=(-seed="${VX_FUZZ_SEED:-1}")

work=$(mktemp -d)
for target in "${targets[@]}"; do
  name=${target%_fuzz}
  mkdir -p "$work/$name"
  echo "== $target: ${seconds} s (new inputs in $work/$name)"
  if ! "$build/$target" "${seed[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 "$work/$name" "fuzz/corpus/$name" >"$work/$name.log" 2>&1; then
    grep -v '^INFO:' "$work/$name.log" | tail -n 60
    echo "fuzzing: $target failed"
    exit 1
  fi
  tail -n 6 "$work/$name.log"
done
echo "fuzzing: ${#targets[@]} targets, no crash"
