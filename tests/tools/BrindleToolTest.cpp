#include <gtest/gtest.h>

#include "db/CPatchDB.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

std::string Tool(const std::string& arguments) {
  return ShellQuote(BRINDLE_TOOL_PATH) + " " + arguments;
}

}  // namespace

TEST(BrindleTool, CheckPrintsEveryBoxAndSetsTheExitStatus) {
  TempDir dir;
  std::string out;
  const std::string clean = dir.Write("clean.dat", "[vars]\r\nTransSpeed=5\r\n[roms]\r\n");
  EXPECT_EQ(RunCommand(Tool("check " + ShellQuote(clean)), &out), 0);
  EXPECT_EQ(out, "");

  const std::string bad = dir.Write("bad.dat", "x=1\n[patches]\nName only\n");
  EXPECT_EQ(RunCommand(Tool("check " + ShellQuote(bad)), &out), 1);
  EXPECT_EQ(out,
            "Warning!\nOn line 1:\nx=1\nStatement occurs outside of valid section label.\n"
            "Error!\nOn line 3:\nName only\nPatch entry contains errors:\n\n"
            "ERROR P02: Patch filename not specified.\nERROR P03: Target ROM name not specified."
            "\nERROR P04: Target ROM size not specified.\n");

  EXPECT_EQ(RunCommand(Tool("check " + ShellQuote(dir.File("missing.dat")) + " 2>/dev/null"), &out),
            2);
  EXPECT_EQ(RunCommand(Tool("check " + ShellQuote(dir.Path()) + " 2>/dev/null"), &out), 2);
}

TEST(BrindleTool, DumpWritesWhatSaveWould) {
  TempDir dir;
  const std::string path =
      dir.Write("brindle.dat",
                "[roms]\nGAME|8Mbit|/r/g.smc|d|Forced\n[patches]\nbroken\n[vars]\nGridLines=yes\n");
  std::string out;
  EXPECT_EQ(RunCommand(Tool("dump " + ShellQuote(path) + " 2>/dev/null"), &out), 0);
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  ASSERT_EQ(db.Load(path), 0);
  EXPECT_EQ(out, db.Serialize());
  EXPECT_NE(out.find("GridLines=1\r\n"), std::string::npos);
  std::string errors;
  RunCommand(Tool("dump " + ShellQuote(path) + " 2>&1 >/dev/null"), &errors);
  EXPECT_EQ(errors.rfind("Error!\nOn line 4:\nbroken\n", 0), 0u);
}

TEST(BrindleTool, HelpVersionAndUsage) {
  std::string out;
  EXPECT_EQ(RunCommand(Tool("--help"), &out), 0);
  EXPECT_NE(out.find("check FILE"), std::string::npos);
  EXPECT_EQ(RunCommand(Tool("--version"), &out), 0);
  EXPECT_EQ(out.rfind("brindle-tool ", 0), 0u);
  EXPECT_EQ(RunCommand(Tool(""), &out, true), 2);
  EXPECT_EQ(RunCommand(Tool("frobnicate"), &out, true), 2);
  EXPECT_NE(out.find("unknown command 'frobnicate'"), std::string::npos);
  EXPECT_EQ(RunCommand(Tool("check"), &out, true), 2);
  EXPECT_EQ(RunCommand(Tool("dump a b"), &out, true), 2);
}
