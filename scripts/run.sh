#!/usr/bin/env bash
# Installs what is missing, builds the trainer and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRANE_BUILD_TESTS=OFF \
      -DVELTRANE_BUILD_BENCH=OFF >/dev/null
cmake --build build/release --target veltrane
exec build/release/src/ui/veltrane "$@"
