#!/usr/bin/env bash
# zka-upgrade started without a display: --help and --version answer as usual; any other start says
# in one line that there is no display and exits with status 1, also when the display named cannot
# be opened, never with a core dump. Run in the sandbox, so that nothing could reach a network.
#   wizard_startup_test.sh PATH-TO-zka-upgrade
set -uo pipefail
app=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
headless() { env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY DISPLAY= "$@" >"$work/out" 2>"$work/err"; }

headless "$app" --help || fail "--help exited with $?"
grep -q '^usage: zka-upgrade ' "$work/out" || fail "--help printed: $(cat "$work/out" "$work/err")"
headless "$app" --version || fail "--version exited with $?"

for arguments in "" "--time-scale 0.5"; do
  # shellcheck disable=SC2086
  headless "$app" $arguments
  status=$?
  [ "$status" = 1 ] || fail "started with [$arguments] without a display: exit status $status"
  [ "$(wc -l <"$work/err")" = 1 ] && grep -q 'no display' "$work/err" || fail "said: $(cat "$work/err")"
done

# A display that is named but cannot be opened.
env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY DISPLAY=:97 "$app" >"$work/out" 2>"$work/err"
status=$?
[ "$status" = 1 ] || fail "with an unreachable display: exit status $status: $(cat "$work/err")"
[ "$(tail -n 1 "$work/err")" = "zka-upgrade: cannot open the display; the wizard needs a desktop or a virtual display" ] ||
  fail "with an unreachable display: $(cat "$work/err")"
echo "starts without a display answer as they should"
