#!/usr/bin/env bash
# Installs every Debian package that the build, the tests, the demo and the benchmarks need.
# Idempotent, and silent when everything is already present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config   # compiler and build
  libcurl4-openssl-dev                           # HTTP to the cameras
  libssl-dev                                     # SHA-256 of the firmware package
  libcpp-httplib-dev                             # the camera simulator's web server
  libgtest-dev libgmock-dev                      # unit and end-to-end tests
  libcli11-dev nlohmann-json3-dev                # the command line's options and its batch report
  iproute2 util-linux                            # the private network namespace (ip, unshare)
  qt6-base-dev libgl-dev                         # the wizard
  xvfb xauth xdotool imagemagick                 # screenshots of the wizard under a virtual display
  curl                                           # the upload benchmark's reference client
  qt6-svg-dev scdoc                              # the scalable icon and the man pages
  dpkg-dev lintian desktop-file-utils appstream file   # the Debian packages and their checks
  clang libclang-rt-14-dev llvm                  # the fuzz targets (libFuzzer and its sanitizers)
  ansible-core                                   # the fleet playbook in contrib/ansible and its test
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
