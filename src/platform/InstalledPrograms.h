#pragma once

#include <string>
#include <vector>

// Finding the emulator cores that are installed on this system (programs: FindProgramInPath).

/// The libretro cores named `fileNames` in the system's libretro folders (/usr/lib/libretro,
/// /usr/lib/<architecture>/libretro and the same under /usr/local), in the order of the names.
std::vector<std::string> FindLibretroCores(const std::vector<std::string>& fileNames);
