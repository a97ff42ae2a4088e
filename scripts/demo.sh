#!/usr/bin/env bash
# Sets everything up, builds, and runs the main job inside the private network namespace against a
# simulated camera fleet (scripts/demo-fleet.txt), so nothing leaves the machine.
#
#   scripts/demo.sh              the wizard on the simulated fleet (needs a display; without one it
#                                says how to use a virtual display and shows --discover instead)
#   scripts/demo.sh --discover   one discovery of the fleet, printed as a table
#   scripts/demo.sh --batch      the whole fleet upgraded as one batch from the command line (its
#                                settings retained; the report goes to build/default/demo-batch-report.json)
#   scripts/demo.sh --time-scale X   run the cameras and the tool X times faster or slower (default 1)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

mode=wizard
scale=1
while [ $# -gt 0 ]; do
  case "$1" in
    --discover) mode=discover; shift ;;
    --batch) mode=batch; shift ;;
    --time-scale) scale="$2"; shift 2 ;;
    *) echo "usage: $0 [--discover | --batch] [--time-scale X]" >&2; exit 64 ;;
  esac
done

bash scripts/setup.sh
cmake --preset default >/dev/null
targets=(zka-camsim zka-upgrade-cli)
[ "$mode" = wizard ] && [ -f src/app/main.cpp ] && targets+=(zka-upgrade)
cmake --build --preset default -j "$(nproc)" --target "${targets[@]}"

bin=build/default
if [ "$mode" = wizard ]; then
  if [ ! -x "$bin/src/app/zka-upgrade" ]; then
    echo "The wizard is not part of this build yet; showing the discovery instead."
    mode=discover
  elif [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: showing the discovery instead. To see the wizard without a desktop, run"
    echo "  xvfb-run -s '-screen 0 1280x1024x24' scripts/demo.sh"
    mode=discover
  fi
fi

run_inside() {
  # Global, not local: the exit trap runs after this function has returned.
  demo_fifo=$(mktemp -u)
  mkfifo "$demo_fifo"
  "$bin/tools/camsim/zka-camsim" --fleet scripts/demo-fleet.txt --time-scale "$scale" >"$demo_fifo" &
  demo_sim=$!
  trap 'kill "$demo_sim" 2>/dev/null; wait "$demo_sim" 2>/dev/null; rm -f "$demo_fifo"' EXIT
  read -r line <"$demo_fifo" || true
  # Both ends are open now: the name is no longer needed.
  rm -f "$demo_fifo"
  [ "$line" = ready ] || { echo "the simulated fleet did not start" >&2; exit 1; }
  if [ "$mode" = discover ]; then
    echo "Discovering the simulated fleet (two enquiries 5 s apart, 10 s in all)..."
    printf 'MAC\t\t\tADDRESS\t\tMODEL\t\tSERIAL\t\tVERSION\n'
    "$bin/src/cli/zka-upgrade-cli" discover --time-scale "$scale"
  elif [ "$mode" = batch ]; then
    local password
    password=$(mktemp)
    echo admin >"$password"
    echo "Upgrading every camera that discovery finds, two at a time (login admin / admin)..."
    "$bin/src/cli/zka-upgrade-cli" batch --discover --user admin --password-file "$password" --retain \
      --report "$bin/demo-batch-report.json" --time-scale "$scale" || true
    rm -f "$password"
    echo "The report is in $bin/demo-batch-report.json."
  else
    echo "Simulated cameras: 192.168.0.100 (the wizard's default address) and 127.0.0.2 to 127.0.0.5;"
    echo "login admin / admin. The automatic mode finds all five: \"Select all\", \"Access setting...\""
    echo "(admin / admin), Next, \"Upgrade\". \"Manual mode\" upgrades one of them by its address."
    echo "In the automatic mode, \"Add other cameras...\" (behind \"<<\") adds 127.0.0.10 to 127.0.0.12, which"
    echo "discovery does not find: typed, from scripts/demo-added-cameras.csv, or pasted."
    if [ -z "${ProgramFiles:-}" ]; then
      # Saved configurations go below the user's data folder, which a fresh account may not have yet.
      data="${XDG_DATA_HOME:-$HOME/.local/share}"
      mkdir -p "$data"
      echo "Saved configurations go to $data/VELM/ZKA FirmwareUpgrade/Configurations/."
    fi
    "$bin/src/app/zka-upgrade" --time-scale "$scale"
  fi
}

export -f run_inside
export bin mode scale
exec scripts/sandbox.sh bash -c run_inside
