#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "app/CMainDlg.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

// The guide as a build has it, beside the program, where Help finds it.
std::filesystem::path GuideFolder() {
  return std::filesystem::path(BRINDLE_PROGRAM_PATH).parent_path() / "doc";
}

std::set<std::string> Ids(const std::string& html) {
  std::set<std::string> ids;
  const std::regex id(R"re(\bid="([^"]+)")re");
  for (auto it = std::sregex_iterator(html.begin(), html.end(), id); it != std::sregex_iterator();
       ++it)
    ids.insert((*it)[1]);
  return ids;
}

}  // namespace

// Every link of every page leads somewhere: a page of the guide and an anchor on it, or a web
// address.
TEST(UserGuide, EveryLinkResolves) {
  int links = 0;
  for (const auto& entry : std::filesystem::directory_iterator(GuideFolder())) {
    if (entry.path().extension() != ".html")
      continue;
    const std::string html = ReadFileBytes(entry.path().string());
    const std::regex link(R"re(\b(?:href|src)="([^"]*)")re");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), link);
         it != std::sregex_iterator(); ++it, ++links) {
      const std::string target = (*it)[1];
      SCOPED_TRACE(entry.path().filename().string() + ": " + target);
      if (target.rfind("https://", 0) == 0)
        continue;
      ASSERT_FALSE(target.empty());
      ASSERT_EQ(target.find(':'), std::string::npos) << "only pages of the guide and web pages";
      const size_t hash = target.find('#');
      const std::filesystem::path page =
          hash == 0 ? entry.path() : GuideFolder() / target.substr(0, hash);
      ASSERT_TRUE(std::filesystem::is_regular_file(page));
      if (hash != std::string::npos) {
        EXPECT_EQ(Ids(ReadFileBytes(page.string())).count(target.substr(hash + 1)), 1u);
      }
    }
  }
  EXPECT_GT(links, 5);
}

// F1 opens the guide in the desktop's viewer, and says so when it cannot.
TEST(UserGuide, HelpOpensTheGuideOrSaysWhyNot) {
  TempDir dir;
  TempDir::WriteTo(dir.File("brindle.dat"),
                   "[vars]\r\nTransition=0\r\nRegisterAtStartup=0\r\nWindowBackground=\r\n");
  ScriptedPrompt prompt;
  std::vector<std::string> opened;
  MainDlgEnvironment env;
  env.appDir = env.databaseDir = dir.Path();
  env.userGuide = (GuideFolder() / "index.html").string();
  env.openInViewer = [&](const std::string& path) {
    opened.push_back(path);
    return opened.size() == 1;
  };
  CMainDlg window(prompt, env);
  ASSERT_TRUE(window.Initialize(""));
  window.RunCommand(CMainDlg::kHelp);
  EXPECT_EQ(opened, std::vector<std::string>{env.userGuide});
  EXPECT_TRUE(prompt.boxes.empty());
  window.RunCommand(CMainDlg::kHelp);  // no viewer
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_NE(prompt.boxes[0].text.find(env.userGuide), std::string::npos);
}
