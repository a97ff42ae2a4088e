#!/usr/bin/env bash
# Runs a command inside a private network namespace: loopback up, the 255.255.255.255 broadcast
# routed to loopback, 192.168.0.100 (the wizard's default camera address) and any --address given
# added to loopback. Nothing sent inside can leave the machine.
#
#   scripts/sandbox.sh [--address A.B.C.D]... [--] COMMAND [ARGS...]
set -euo pipefail

addresses=(192.168.0.100)
while [ $# -gt 0 ]; do
  case "$1" in
    --address) addresses+=("$2"); shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: $0 [--address A.B.C.D]... [--] COMMAND [ARGS...]" >&2; exit 64; }

if [ "${ZKA_SANDBOX:-}" = "inside" ]; then
  exec "$@"
fi

if [ "$(id -u)" -eq 0 ]; then
  unshare_flags=(-n)
else
  unshare_flags=(-r -n)
fi

export ZKA_SANDBOX=inside
export ZKA_SANDBOX_ADDRESSES="${addresses[*]}"
exec unshare "${unshare_flags[@]}" -- bash -c '
  set -e
  ip link set lo up
  ip route add broadcast 255.255.255.255 dev lo table local
  for a in $ZKA_SANDBOX_ADDRESSES; do ip addr add "$a/32" dev lo; done
  exec "$@"
' sandbox "$@"
