#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs each for the given number of
# seconds (default 60), as many at a time as there are cores. Corpora grow in
# build/fuzz/corpus/<target>; a failing input is written to build/fuzz/artifacts/ and the
# script exits non-zero. Logs: build/fuzz/logs/<target>.log.
#   bash fuzz/run.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_text_prep fuzz_set_string fuzz_escapes fuzz_compare_copy)

# clang and its libFuzzer runtime, installed only when missing.
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a \
        >/dev/null 2>&1; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq clang libclang-rt-14-dev
fi

build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELTRANE_FUZZ=ON -DVELTRANE_BUILD_UI=OFF -DVELTRANE_BUILD_TESTS=OFF \
  -DVELTRANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

mkdir -p "$build/artifacts" "$build/logs"
run() {
  local target=$1
  mkdir -p "$build/corpus/$target"
  "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 -max_len=4096 \
    -artifact_prefix="$build/artifacts/$target-" "$build/corpus/$target" \
    >"$build/logs/$target.log" 2>&1
}

status=0
pids=()
names=()
for target in "${targets[@]}"; do
  run "$target" &
  pids+=($!)
  names+=("$target")
  if [ ${#pids[@]} -ge "$(nproc)" ]; then
    wait "${pids[0]}" || { echo "${names[0]}: FAILED, see $build/logs/${names[0]}.log"; status=1; }
    echo "${names[0]}: $(grep -E 'stat::number_of_executed_units' "$build/logs/${names[0]}.log" || true)"
    pids=("${pids[@]:1}")
    names=("${names[@]:1}")
  fi
done
for i in "${!pids[@]}"; do
  wait "${pids[$i]}" || { echo "${names[$i]}: FAILED, see $build/logs/${names[$i]}.log"; status=1; }
  echo "${names[$i]}: $(grep -E 'stat::number_of_executed_units' "$build/logs/${names[$i]}.log" || true)"
done
exit $status
