#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer, AddressSanitizer + UndefinedBehaviorSanitizer) and runs
# every fuzz target (tests/fuzz/*_fuzz.cpp) for SECONDS each, starting from its seed corpus. Fails on
# any crash, leak, time-out or sanitizer report; the input that caused it is kept in
# build/fuzz/findings/<target>/. New inputs go to build/fuzz/corpus/<target>/, never into the tree.
#   scripts/fuzz.sh [SECONDS]      (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
case "$seconds" in
  ''|*[!0-9]*) echo "usage: $0 [SECONDS]" >&2; exit 64 ;;
esac

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

failed=()
for source in tests/fuzz/*_fuzz.cpp; do
  name=$(basename "$source" .cpp)
  work=build/fuzz/corpus/$name
  findings=build/fuzz/findings/$name
  mkdir -p "$work" "$findings"
  echo "=== $name: ${seconds} s"
  log=build/fuzz/$name.log
  if build/fuzz/tests/"$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$findings/" "$work" "tests/fuzz/corpus/$name" >"$log" 2>&1; then
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done )' "$log" || true
  else
    tail -n 40 "$log"
    failed+=("$name")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found problems in: ${failed[*]} (inputs in build/fuzz/findings/)" >&2
  exit 1
fi
echo "fuzzing: no crash, leak or sanitizer report"
