#include "support/Fixtures.h"

#include "gtest/gtest.h"
#include "support/TempDir.h"

std::string ReadFixture(const std::string& name) {
  const std::string path = std::string(BRINDLE_FIXTURES_DIR) + "/" + name;
  std::string bytes = ReadFileBytes(path);
  if (bytes.empty())
    ADD_FAILURE() << "The test fixture " << path << " is missing or empty.";
  return bytes;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  if (at == std::string::npos) {
    ADD_FAILURE() << "Not found: " << from;
    return text;
  }
  return text.replace(at, from.size(), to);
}
