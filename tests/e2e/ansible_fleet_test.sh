#!/usr/bin/env bash
# contrib/ansible/fleet.yml run by ansible-playbook against two segments, each a private network
# namespace of its own with its own simulated fleet at the same addresses, as two VLANs may be. The
# segments' "hosts" are this machine (ansible_connection=local): their modules run through an
# interpreter that enters the segment's namespace, so each batch sees its own fleet only. One camera
# of the second segment breaks off its upload. A check (--check) comes first and must upload
# nothing. Runs inside the network sandbox.
#   ansible_fleet_test.sh ZKA-UPGRADE-CLI ZKA-CAMSIM
set -euo pipefail
cd "$(dirname "$0")/../.."
source=$PWD
cli=$1
camsim=$2
tmp=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; cat "$tmp/playbook.out" >&2 2>/dev/null || true; exit 1; }
command -v ansible-playbook >/dev/null || fail "ansible-playbook is missing: run scripts/setup.sh"

# Starts a segment's fleet in a namespace of its own and the interpreter that enters it; every
# module it runs is logged with its start and end, to tell the segments' order.
start_segment() {
  local name=$1 fleet=$2
  mkdir -p "$tmp/$name/host"
  printf '%b' "$fleet" >"$tmp/$name/fleet.txt"
  env -u ZKA_SANDBOX bash scripts/sandbox.sh "$camsim" --fleet "$tmp/$name/fleet.txt" --time-scale 0.01 --log \
    >"$tmp/$name/ready" 2>"$tmp/$name/camsim.log" &
  local pid=$!
  pids+=("$pid")
  local deadline=$((SECONDS + 30))
  until grep -q ready "$tmp/$name/ready"; do
    kill -0 "$pid" 2>/dev/null || fail "the simulator of $name ended: $(cat "$tmp/$name/camsim.log")"
    [ $SECONDS -lt $deadline ] || fail "the simulator of $name did not get ready"
    sleep 0.05
  done
  cat >"$tmp/$name/python" <<SCRIPT
#!/bin/sh
echo "$name begin \$(date +%s%N)" >>"$tmp/modules.log"
status=0
nsenter --net=/proc/$pid/ns/net -- /usr/bin/python3 "\$@" || status=\$?
echo "$name end \$(date +%s%N)" >>"$tmp/modules.log"
exit \$status
SCRIPT
  chmod +x "$tmp/$name/python"
}

cameras='[camera 127.0.0.2]\n[camera 127.0.0.3]\n'
start_segment north "$cameras"
start_segment south "$cameras"'dropDuringUpload = true\n'
printf '127.0.0.2 admin admin\n127.0.0.3 admin admin\n' >"$tmp/logins.txt"
chmod 600 "$tmp/logins.txt"

host() {
  cat <<HOST
        $1:
          ansible_connection: local
          ansible_python_interpreter: $tmp/$1/python
          zka_work_dir: $tmp/$1/host
HOST
}
cat >"$tmp/inventory.yml" <<INVENTORY
all:
  vars:
    zka_cli: $cli
    zka_logins_file: $tmp/logins.txt
    zka_reports_dir: $tmp/reports
    zka_extra_args: ["--time-scale", "0.01"]
  children:
    segments:
      hosts:
$(host north)
$(host south)
INVENTORY

playbook() {
  (cd "$tmp" && env ANSIBLE_LOCAL_TEMP="$tmp/ansible/local" ANSIBLE_REMOTE_TEMP="$tmp/ansible/remote" \
    ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_NOCOLOR=1 ANSIBLE_FORCE_COLOR=0 \
    timeout -k 10 120 ansible-playbook -i "$tmp/inventory.yml" "$source/contrib/ansible/fleet.yml" "$@")
}

# Check mode runs the tool's pre-flight: every camera is asked, none is uploaded to.
status=0
playbook --check >"$tmp/playbook.out" 2>&1 || status=$?
[ "$status" = 0 ] || fail "the check exited with $status"
for name in north south; do
  [ -s "$tmp/reports/check/$name.json" ] || fail "no check report of $name fetched"
  [ ! -e "$tmp/$name/host/logins" ] || fail "the check left the logins file on $name"
  grep -q '^127.0.0.3:80 ' "$tmp/$name/camsim.log" || fail "the check did not ask the cameras of $name"
  ! grep -q versionup "$tmp/$name/camsim.log" || fail "the check uploaded to a camera of $name"
done
: >"$tmp/modules.log"

status=0
playbook >"$tmp/playbook.out" 2>&1 || status=$?
[ "$status" = 2 ] || fail "ansible-playbook exited with $status, not 2 (a host failed)"
for name in north south; do
  "$cli" report "$tmp/reports/$name.json" >/dev/null 2>&1 || [ $? = 1 ] || fail "no report of $name fetched"
  [ ! -e "$tmp/$name/host/logins" ] || fail "the logins file was left on $name"
done
grep -q 'north *: ok=[0-9]* .*failed=0 ' "$tmp/playbook.out" || fail "north did not end well"
grep -q 'south *: ok=[0-9]* .*failed=1 ' "$tmp/playbook.out" || fail "south did not fail"
# The fleet report ran after the failed segment.
grep -qF '"all 2 segments: 3 completed, 0 skipped, 1 failed, 0 not started, 0 abandoned (4 cameras)"' \
  "$tmp/playbook.out" || fail "no fleet totals"
grep -qF '"south    2   127.0.0.3' "$tmp/playbook.out" || fail "no row of the failed camera"
# Every module of north ended before the first of south began.
north_end=$(awk '$1 == "north" && $2 == "end" { last = $3 } END { print last }' "$tmp/modules.log")
south_begin=$(awk '$1 == "south" && $2 == "begin" { print $3; exit }' "$tmp/modules.log")
[ -n "$north_end" ] && [ -n "$south_begin" ] && [ "$north_end" -lt "$south_begin" ] ||
  fail "the segments overlapped: $(cat "$tmp/modules.log")"
echo "two segments upgraded one after the other, the second failed, the fleet table came back"
