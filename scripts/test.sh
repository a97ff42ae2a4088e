#!/usr/bin/env bash
# Sets everything up, then builds and runs all tests: the plain build, then the
# AddressSanitizer+UndefinedBehaviorSanitizer build and the ThreadSanitizer build.
#   scripts/test.sh [PRESET...]     (default: default asan tsan)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(default asan tsan)
jobs=$(nproc)
for preset in "${presets[@]}"; do
  echo "=== $preset: build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "=== $preset: test"
  ctest --preset "$preset" -j "$jobs"
done
