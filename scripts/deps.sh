#!/usr/bin/env bash
# Installs the Debian packages Brindle needs to build, test and run, and any package named as an
# argument (CI adds clang-format). Safe to run again: it only installs what is missing. As root it
# runs apt-get; otherwise it prints the command and stops.
set -euo pipefail

packages=(
  build-essential cmake         # g++ 12, make, CMake 3.25
  libgtest-dev libgmock-dev     # the tests
  libbenchmark-dev              # the benchmarks under bench/, built with everything else
  qt6-base-dev                  # Qt 6 Widgets, Network and Test, with the offscreen platform
  zlib1g-dev                    # the CRC-32 of BPS and UPS patches
  xvfb xdotool                  # the tests that run the program on a real X display
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Brindle needs these Debian packages. Install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
