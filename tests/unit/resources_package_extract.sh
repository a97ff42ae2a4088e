#!/usr/bin/env bash
# The firmware package through the command line: "package" reports its size and digest,
# "package --extract" writes it, tar unpacks it and sha256sum checks every member against the
# package's own SHA256SUMS. A write that fails is reported with exit status 1, leaves nothing new
# and leaves a file that was there before as it was.
#   resources_package_extract.sh PATH-TO-zka-upgrade-cli
set -euo pipefail
cli=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cli" package > "$work/info"
size=$(sed -n 's/^size \([0-9]*\)$/\1/p' "$work/info")
digest=$(sed -n 's/^sha256 \([0-9a-f]\{64\}\)$/\1/p' "$work/info")
[ "$size" = 10014720 ] || fail "size line: $(cat "$work/info")"
[ -n "$digest" ] || fail "sha256 line: $(cat "$work/info")"

"$cli" package --extract "$work/package.tar" > "$work/out"
grep -qx "wrote 10014720 bytes to $work/package.tar" "$work/out" || fail "extract said: $(cat "$work/out")"
[ "$(stat -c %s "$work/package.tar")" = 10014720 ] || fail "extracted size"
echo "$digest  $work/package.tar" | sha256sum --check --quiet - || fail "extracted digest"

mkdir "$work/unpacked"
tar -xf "$work/package.tar" -C "$work/unpacked" || fail "tar -x"
[ "$(tar -tf "$work/package.tar" | head -n 1)" = SHA256SUMS ] || fail "SHA256SUMS is not the first member"
(cd "$work/unpacked" && sha256sum --check --strict SHA256SUMS) || fail "sha256sum -c SHA256SUMS"
listed=$(cut -c 67- "$work/unpacked/SHA256SUMS" | sort)
members=$(tar -tf "$work/package.tar" | grep -vx SHA256SUMS | sort)
[ "$listed" = "$members" ] || fail "SHA256SUMS lists [$listed], the archive holds [$members]"

for target in "$work/no/such/dir/package.tar" /dev/full; do
  status=0
  "$cli" package --extract "$target" 2> "$work/err" || status=$?
  [ "$status" = 1 ] || fail "extract to $target: exit status $status"
  grep -q "cannot write $target" "$work/err" || fail "message for $target: $(cat "$work/err")"
done
[ ! -e "$work/no" ] || fail "a failed extract left something behind"

# A write cut short by the file size limit (its signal ignored, so the write itself fails).
mkdir "$work/kept"
echo "the operator's own file" > "$work/kept/package.tar"
status=0
(trap '' XFSZ; ulimit -f 64; exec "$cli" package --extract "$work/kept/package.tar") 2> "$work/err" || status=$?
[ "$status" = 1 ] || fail "extract past the size limit: exit status $status"
[ "$(cat "$work/kept/package.tar")" = "the operator's own file" ] || fail "a failed extract changed the existing file"
[ "$(ls -A "$work/kept")" = package.tar ] || fail "a failed extract left $(ls -A "$work/kept")"
echo "package extracted and verified"
