#pragma once

#include <string>
#include <vector>

/// The file named on the command line: the first argument that is not a switch (only "-"
/// starts a switch; paths begin with "/"), made absolute against `currentFolder`. Empty when
/// there is none. Further arguments are ignored.
std::string CommandLineFile(const std::vector<std::string>& arguments,
                            const std::string& currentFolder);
