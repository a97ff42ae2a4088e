#!/usr/bin/env bash
# Sets everything up, then builds and runs all tests: the plain build, then the
# AddressSanitizer+UndefinedBehaviorSanitizer build and the ThreadSanitizer build, then every fuzz
# target for a short while (ZKA_FUZZ_SECONDS, default 20 s each). A failing preset does not stop the
# others; the script fails at the end when any did.
#   scripts/test.sh [PRESET...]     (default: default asan tsan fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(default asan tsan fuzz)
jobs=$(nproc)
failed=()
for preset in "${presets[@]}"; do
  if [ "$preset" = fuzz ]; then
    echo "=== fuzz: ${ZKA_FUZZ_SECONDS:-20} s per target"
    bash scripts/fuzz.sh "${ZKA_FUZZ_SECONDS:-20}" || failed+=(fuzz)
    continue
  fi
  echo "=== $preset: build"
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j "$jobs"; }; then
    failed+=("$preset (build)")
    continue
  fi
  echo "=== $preset: test"
  ctest --preset "$preset" -j "$jobs" || failed+=("$preset")
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "=== FAILED: ${failed[*]}" >&2
  exit 1
fi
echo "=== all passed: ${presets[*]}"
