#include "platform/CommandLine.h"

#include <filesystem>

#include "platform/Path.h"

std::string CommandLineFile(const std::vector<std::string>& arguments,
                            const std::string& currentFolder) {
  for (const std::string& argument : arguments) {
    if (argument.empty() || argument[0] == '-')
      continue;
    if (argument[0] == '/')
      return argument;
    return std::filesystem::path(MakeAbsolute(argument, currentFolder)).lexically_normal().string();
  }
  return {};
}
