#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is
# missing; chromium and python3 render and read the page check's screenshot,
# and chromium-driver drives the live frame's check in the browser.
set -euo pipefail
packages=(cmake g++ make libxml2-dev libxslt1-dev googletest libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
          clang libclang-rt-dev chromium chromium-driver python3 libcpp-httplib-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
