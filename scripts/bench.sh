#!/usr/bin/env bash
# Sets everything up, builds the benchmarks (default preset) and prints their figures. The ones that
# open sockets run inside the private network namespace.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default >/dev/null
benches=(package_load_bench discovery_bench polled_queries_bench upload_bench procedure_bench camsim_bench batch_bench
         wizard_batch_bench)
cmake --build --preset default -j "$(nproc)" --target "${benches[@]}"
b=build/default/bench
echo "=== loading and verifying the firmware package";      "$b/package_load_bench"
echo "=== 256 cameras answering both enquiries";             scripts/sandbox.sh "$b/discovery_bench"
echo "=== 100 polled queries against 100 cameras";          scripts/sandbox.sh "$b/polled_queries_bench"
echo "=== upload against plain curl, memory of two uploads"; scripts/sandbox.sh "$b/upload_bench"
echo "=== procedure overhead and CPU while waiting";         scripts/sandbox.sh "$b/procedure_bench"
echo "=== simulator";                                        scripts/sandbox.sh "$b/camsim_bench"
echo "=== 256 cameras in one batch, 2 and 16 at a time";    scripts/sandbox.sh "$b/batch_bench"
echo "=== the wizard's user interface during that batch";   scripts/sandbox.sh "$b/wizard_batch_bench"
