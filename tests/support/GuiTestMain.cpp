// main() of the window tests: one QApplication on the offscreen platform for every test.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // What the window remembers in the user's settings stays away from the real ones.
  std::string config = "/tmp/brindle-gui-tests-XXXXXX";
  if (mkdtemp(config.data()) != nullptr)
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  if (!config.empty() && config.find("XXXXXX") == std::string::npos)
    std::filesystem::remove_all(config);
  return result;
}
