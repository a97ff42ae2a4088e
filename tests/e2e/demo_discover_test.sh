#!/usr/bin/env bash
# "scripts/demo.sh --discover" as the README's first step without a display: it must give the
# terminal back with the table of the simulated fleet, and leave no simulator and no file behind.
# Runs inside the network sandbox, with a temporary folder of its own.
#   demo_discover_test.sh TIME-LIMIT-SECONDS
set -euo pipefail
cd "$(dirname "$0")/../.."
limit=$1
tmp=$(mktemp -d)
out=$(mktemp)
trap 'rm -rf "$tmp" "$out"' EXIT
fail() { echo "FAIL: $*" >&2; cat "$out" >&2; exit 1; }

status=0
env -u DISPLAY -u WAYLAND_DISPLAY TMPDIR="$tmp" timeout -k 10 "$limit" scripts/demo.sh --discover --time-scale 0.05 \
  >"$out" 2>&1 </dev/null || status=$?
[ "$status" != 124 ] && [ "$status" != 137 ] || fail "the demo did not return within $limit s"
[ "$status" = 0 ] || fail "the demo exited with $status"
grep -q '^MAC' "$out" || fail "no table header"
for address in 192.168.0.100 127.0.0.2 127.0.0.3 127.0.0.5; do
  grep -q "	$address	" "$out" || fail "no row for $address"
done
grep -q "^08:00:46:00:00:04	DHCP	" "$out" || fail "no row for the camera that takes its address by DHCP"

# Every simulator of this run has gone: they are the processes that carry this TMPDIR.
for environ in /proc/[0-9]*/environ; do
  if tr '\0' '\n' <"$environ" 2>/dev/null | grep -qx "TMPDIR=$tmp"; then
    fail "a process of the demo is still running: $(tr '\0' ' ' <"${environ%environ}cmdline")"
  fi
done
[ -z "$(ls -A "$tmp")" ] || fail "the demo left $(ls -A "$tmp") in its temporary folder"
echo "the demo returned with the table and left nothing behind"
