#include "ui/DisplayText.h"

#include <gtest/gtest.h>

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

TEST(DisplayText, AFieldGivesBackItsBytesAndEncodesEditsInTheFormItWasShownIn) {
  const std::string latin1 = "caf\xE9";
  EXPECT_EQ(DisplayText(latin1), QString::fromUtf8("caf\xC3\xA9"));
  EXPECT_EQ(TextBytes(DisplayText(latin1), latin1), latin1);
  EXPECT_EQ(TextBytes(DisplayText(latin1) + "s", latin1), "caf\xE9s");
  // What Latin-1 cannot hold is typed in UTF-8; the bytes before it stay.
  EXPECT_EQ(TextBytes(DisplayText(latin1) + QChar(0x20AC), latin1), "caf\xE9\xE2\x82\xAC");
  EXPECT_EQ(TextBytes(QString::fromUtf8("caf\xC3\xA9s"), "caf\xC3\xA9"), "caf\xC3\xA9s");
  const std::string shiftJis = "\x83\x7d\x83\x55\x81\x5b";
  EXPECT_EQ(TextBytes(DisplayText(shiftJis), shiftJis), shiftJis);
}

TEST(DisplayText, APathKeepsTheBytesOfEachNameItNames) {
  TempDir dir;
  dir.Write("caf\xE9/x", "x");
  const std::string base = dir.Path() + "/";
  const QString baseText = QString::fromStdString(base);
  const QString cafe = QString::fromUtf8("caf\xC3\xA9");
  const std::string stored = base + "caf\xE9/";

  // Shown name by name: the Latin-1 name does not turn the rest into Latin-1.
  const std::string mixed = "/home/jos\xC3\xA9/caf\xE9/";
  EXPECT_EQ(PathText(mixed), QString::fromUtf8("/home/jos\xC3\xA9/caf\xC3\xA9/"));
  // A character typed and taken back, or a name added: the stored name keeps its bytes.
  EXPECT_EQ(PathBytes(PathText(stored), stored), stored);
  EXPECT_EQ(PathBytes(PathText(mixed) + "zsnes", mixed), mixed + "zsnes");
  // A name typed in a folder is the entry shown as that text, also relative and under "~".
  EXPECT_EQ(PathBytes(baseText + cafe + "/x", base), stored + "x");
  EXPECT_EQ(PathBytes(cafe + "/", "", base), "caf\xE9/");
  {
    const ScopedEnv home("HOME", dir.Path().c_str());
    EXPECT_EQ(PathBytes("~/" + cafe, ""), "~/caf\xE9");
  }
  // A name that names nothing is encoded as typed.
  EXPECT_EQ(PathBytes(baseText + cafe + "s", base), base + "caf\xC3\xA9s");
}
