#!/usr/bin/env bash
# Checks the Debian packages that scripts/package.sh wrote into dist/: lintian reports no error (its
# warnings are listed), the desktop entry and the metainfo validate, the wizard's package holds no
# simulator, every file is root's, no path of this build folder is inside, and the programs unpacked
# with dpkg -x run from the scratch folder (the wizard's --version without a display) with all their
# libraries found. The programs run inside the private network namespace like every other run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

version=$(sed -n 's/^project(zka_upgrade VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
arch=$(dpkg --print-architecture)
wizard=dist/zka-upgrade_${version}_${arch}.deb
camsim=dist/zka-camsim_${version}_${arch}.deb
for deb in "$wizard" "$camsim"; do
  [ -f "$deb" ] || { echo "FAILED: $deb is missing; run scripts/package.sh"; exit 1; }
done

# The version is written in three more places than CMakeLists.txt; they must agree.
changelog_version=$(dpkg-parsechangelog -l packaging/changelog -S Version)
[ "$changelog_version" = "$version" ] && pass "changelog at $version" \
  || fail "packaging/changelog's newest entry is $changelog_version, the project is $version"
metainfo_version=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' packaging/org.zka_upgrade.Wizard.metainfo.xml.in | head -1)
[ "$metainfo_version" = "$version" ] && pass "metainfo release at $version" \
  || fail "the metainfo's newest release is $metainfo_version, the project is $version"

echo "--- lintian"
if lintian --fail-on error --display-level '>=warning' "$wizard" "$camsim" 2>&1 | grep -v 'running with root privileges'; then :; fi
if lintian --fail-on error "$wizard" "$camsim" >/dev/null 2>&1; then pass "lintian: no errors"; else fail "lintian reports errors"; fi

echo "--- contents"
# Listings are read whole before they are searched: a search that stops early would cut dpkg-deb off.
for deb in "$wizard" "$camsim"; do
  others=$(dpkg-deb -c "$deb" | awk '$2 != "root/root"')
  [ -z "$others" ] && pass "$(basename "$deb"): every file is root's" || fail "$(basename "$deb") has files not owned by root: $others"
  for field in Depends Section Priority Maintainer Description; do
    [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "$(basename "$deb") has no $field"
  done
  grep -q 'libc6' <<<"$(dpkg-deb -f "$deb" Depends)" && pass "$(basename "$deb"): dependencies from dpkg-shlibdeps" \
    || fail "$(basename "$deb"): Depends lacks libc6, so dpkg-shlibdeps did not run"
done
if grep -q 'zka-camsim' <<<"$(dpkg-deb -c "$wizard")"; then fail "the wizard's package holds the simulator"; else pass "no simulator in the wizard's package"; fi
grep -q '/usr/bin/zka-camsim$' <<<"$(dpkg-deb -c "$camsim")" && pass "the simulator's package holds zka-camsim" || fail "zka-camsim is not in its package"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$wizard" "$scratch"
dpkg -x "$camsim" "$scratch"

desktop-file-validate "$scratch"/usr/share/applications/org.zka_upgrade.Wizard.desktop \
  && pass "desktop-file-validate" || fail "desktop-file-validate"
appstreamcli validate --no-net "$scratch"/usr/share/metainfo/org.zka_upgrade.Wizard.metainfo.xml \
  && pass "appstreamcli validate --no-net" || fail "appstreamcli validate --no-net"
for size in 48 128 256; do
  icon=$scratch/usr/share/icons/hicolor/${size}x${size}/apps/org.zka_upgrade.Wizard.png
  file -b "$icon" 2>/dev/null | grep -q "PNG image data, $size x $size" && pass "icon ${size}x${size}" || fail "icon ${size}x${size}"
done
grep -q '<svg' "$scratch"/usr/share/icons/hicolor/scalable/apps/org.zka_upgrade.Wizard.svg && pass "scalable icon" || fail "scalable icon"
for page in zka-upgrade zka-upgrade-cli zka-camsim; do
  [ -s "$scratch/usr/share/man/man1/$page.1.gz" ] && pass "man page $page(1)" || fail "man page $page(1) is missing"
done

echo "--- no build path inside"
if grep -rlaF "$root" "$scratch"; then fail "the packages hold the path $root"; else pass "no path of $root"; fi

echo "--- libraries"
while IFS= read -r -d '' file; do
  case "$(file -b "$file")" in
    ELF*)
      missing=$(ldd "$file" | grep 'not found' || true)
      [ -z "$missing" ] && pass "ldd ${file#"$scratch"}" || fail "ldd ${file#"$scratch"}: $missing" ;;
  esac
done < <(find "$scratch" -type f -print0)

echo "--- the programs, run from the unpacked packages"
bin=$scratch/usr/bin
sandbox() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM scripts/sandbox.sh "$@"; }
firmware=""
for program in zka-upgrade zka-upgrade-cli zka-camsim; do
  if out=$(sandbox "$bin/$program" --version); then
    first=$(head -1 <<<"$out")
    [ "$first" = "$program $version" ] && pass "$program --version: $first" || fail "$program --version says \"$first\""
    second=$(sed -n 2p <<<"$out")
    [ -z "$firmware" ] && firmware=$second
    [ -n "$second" ] && [ "$second" = "$firmware" ] && pass "$program: $second" \
      || fail "$program --version gives the firmware as \"$second\", not \"$firmware\""
  else
    fail "$program --version ended with status $?"
  fi
done
if out=$(sandbox "$bin/zka-upgrade-cli" package) && grep -Eq '^sha256 [0-9a-f]{64}$' <<<"$out"; then
  pass "zka-upgrade-cli package: $(tr '\n' ' ' <<<"$out")"
else
  fail "zka-upgrade-cli package: $out"
fi

if [ "$failures" -gt 0 ]; then
  echo "package checks failed: $failures"
  exit 1
fi
echo "all package checks passed"
