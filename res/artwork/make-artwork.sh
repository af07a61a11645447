#!/usr/bin/env bash
# Rebuilds the committed artwork under res/ from MakeArtwork.cpp. With --sheet FILE.png it also
# renders a contact sheet of the result for a look by eye. Needs pkg-config besides the packages
# of scripts/deps.sh.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
res="$(dirname "$here")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# shellcheck disable=SC2046
g++ -std=c++20 -O1 -fPIC -o "$work/MakeArtwork" "$here/MakeArtwork.cpp" \
  $(pkg-config --cflags --libs Qt6Gui)
QT_QPA_PLATFORM=offscreen "$work/MakeArtwork" "$res"
if [[ "${1:-}" == "--sheet" && -n "${2:-}" ]]; then
  QT_QPA_PLATFORM=offscreen "$work/MakeArtwork" --sheet "$res" "$2"
fi
