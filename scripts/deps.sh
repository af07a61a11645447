#!/usr/bin/env bash
# Installs the Debian packages Brindle needs to build, test and run, and any package named as an
# argument (CI adds clang-format). Safe to run again: it only installs what is missing. As root it
# runs apt-get; otherwise it prints the commands and stops.
#
#   scripts/deps.sh [--emulators] [PACKAGE...]
#
# --emulators also installs the emulators that the end-to-end tests play with (CI uses it; a user
# need not). A package named PACKAGE:ARCH brings its architecture into dpkg first.
set -euo pipefail

packages=(
  build-essential cmake         # g++ 12, make, CMake 3.25
  libgtest-dev libgmock-dev     # the tests
  libbenchmark-dev              # the benchmarks under bench/, built with everything else
  qt6-base-dev                  # Qt 6 Widgets, Network and Test, with the offscreen platform
  zlib1g-dev                    # the CRC-32 of BPS and UPS patches
  libarchive-dev                # ROMs kept in .zip, .7z and .gz archives
  xvfb xdotool                  # the tests that run the program on a real X display
)

emulators=(
  zsnes:i386                    # ZSNES 1.51, Debian's only build of it (32-bit)
  libnss-wrapper:i386           # gives the emulator a home folder of the test's own
  retroarch                     # RetroArch 1.14 with the bsnes-mercury SNES cores
  libretro-bsnes-mercury-accuracy libretro-bsnes-mercury-balanced
  libretro-bsnes-mercury-performance
  mednafen                      # Mednafen 1.29 (/usr/games/mednafen)
)

for argument in "$@"; do
  case "$argument" in
    --emulators) packages+=("${emulators[@]}") ;;
    *) packages+=("$argument") ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

# Architectures that packages such as zsnes:i386 need and dpkg does not know yet.
architectures=()
for p in "${missing[@]}"; do
  case "$p" in
    *:*)
      arch=${p##*:}
      if [ "$arch" != "$(dpkg --print-architecture)" ] &&
        ! dpkg --print-foreign-architectures | grep -qx "$arch" &&
        [[ " ${architectures[*]} " != *" $arch "* ]]; then
        architectures+=("$arch")
      fi
      ;;
  esac
done

if [ "$(id -u)" -ne 0 ]; then
  echo "Brindle needs these Debian packages. Install them with:" >&2
  for arch in "${architectures[@]}"; do
    echo "  sudo dpkg --add-architecture $arch" >&2
  done
  [ ${#architectures[@]} -eq 0 ] || echo "  sudo apt-get update" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
for arch in "${architectures[@]}"; do
  echo "Adding the $arch architecture" >&2
  dpkg --add-architecture "$arch"
done
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
