#pragma once

#include <string>
#include <vector>

// Finding programs and emulator cores that are installed on this system.

/// The first executable file called `name` in the folders of PATH, then in `moreFolders`;
/// empty when there is none.
std::string FindProgram(const std::string& name, const std::vector<std::string>& moreFolders = {});

/// The libretro cores named `fileNames` in the system's libretro folders (/usr/lib/libretro,
/// /usr/lib/<architecture>/libretro and the same under /usr/local), in the order of the names.
std::vector<std::string> FindLibretroCores(const std::vector<std::string>& fileNames);
