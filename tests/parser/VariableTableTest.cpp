#include <gtest/gtest.h>

#include "parser/CVariableTable.h"
#include "parser/LineContext.h"
#include "support/ScriptedPrompt.h"

namespace {

struct Table {
  ScriptedPrompt prompt;
  CVariableTable table{&prompt};
  int32_t speed = -7;
  bool flag = true;
  std::string text = "unchanged";
  Table() {
    table.AddVariable("TransSpeed", VariableType::Integer, &speed);
    table.AddVariable("IgnoreHash", VariableType::Boolean, &flag);
    table.AddVariable("WindowBackground", VariableType::String, &text);
  }
};

}  // namespace

TEST(VariableTable, AssignsByNameIgnoringCaseAndWritesRegisteredSpelling) {
  Table t;
  EXPECT_TRUE(t.table.ExecuteStatement("transspeed=60", false));
  EXPECT_EQ(t.speed, 60);
  EXPECT_TRUE(t.table.ExecuteStatement("WINDOWBACKGROUND= a=b ", false));
  EXPECT_EQ(t.text, " a=b ");  // the value keeps blanks and later equals signs
  EXPECT_TRUE(t.table.ExecuteStatement("IgnoreHash=0", false));
  std::string out;
  t.table.WriteVariables(out);
  EXPECT_EQ(out, "TransSpeed=60\r\nIgnoreHash=0\r\nWindowBackground= a=b \r\n");
  EXPECT_TRUE(t.prompt.boxes.empty());
}

TEST(VariableTable, ConvertsTextPerType) {
  Table t;
  struct IntCase {
    const char* text;
    int32_t value;
  };
  for (const IntCase& c : {IntCase{"60", 60}, IntCase{" 7", 7}, IntCase{"12abc", 12},
                           IntCase{"abc", 0}, IntCase{"", 0}, IntCase{"-15", -15},
                           IntCase{"99999999999", INT32_MAX}, IntCase{"-99999999999", INT32_MIN}}) {
    t.table.GetAt(0)->AssignText(c.text);
    EXPECT_EQ(t.speed, c.value) << c.text;
  }
  for (const char* yes : {"1", "true", "TRUE", "Yes", "yes"}) {
    t.flag = false;
    t.table.GetAt(1)->AssignText(yes);
    EXPECT_TRUE(t.flag) << yes;
    EXPECT_EQ(t.table.GetAt(1)->FormatValue(), "1");
  }
  for (const char* no : {"", "0", "no", "false", "2", " 1", "on", "off"}) {
    t.flag = true;
    t.table.GetAt(1)->AssignText(no);
    EXPECT_FALSE(t.flag) << no;
    EXPECT_EQ(t.table.GetAt(1)->FormatValue(), "0");
  }
  EXPECT_TRUE(t.table.ExecuteStatement("WindowBackground=", false));
  EXPECT_EQ(t.text, "");
}

TEST(VariableTable, ReportsBadStatementsWithTheModuleLineContext) {
  Table t;
  ModuleLineContext() = {12, "\tTransSpeed = 60"};
  EXPECT_FALSE(t.table.ExecuteStatement("TransSpeed = 60", false));
  EXPECT_FALSE(t.table.ExecuteStatement("=60", false));
  EXPECT_FALSE(t.table.ExecuteStatement("TransSpeed60", false));
  EXPECT_EQ(t.speed, -7);
  ASSERT_EQ(t.prompt.boxes.size(), 3u);
  EXPECT_EQ(t.prompt.boxes[0].text,
            "On line 12:\n\tTransSpeed = 60\nVariable 'TransSpeed ' not defined.");
  EXPECT_EQ(t.prompt.boxes[0].title, "Error!");
  EXPECT_EQ(t.prompt.boxes[0].icon, BoxIcon::Error);
  EXPECT_EQ(t.prompt.boxes[0].buttons, BoxButtons::Ok);
  EXPECT_EQ(t.prompt.boxes[1].text, "On line 12:\n\tTransSpeed = 60\nVariable '' not defined.");
  EXPECT_EQ(t.prompt.boxes[2].text,
            "On line 12:\n\tTransSpeed = 60\nExpression is not a valid assignment. Must be of "
            "form 'X=Y', as required by current section label.");
}

TEST(VariableTable, QuietStatementsShowNothing) {
  Table t;
  EXPECT_FALSE(t.table.ExecuteStatement("nothing", true));
  EXPECT_FALSE(t.table.ExecuteStatement("Unknown=1", true));
  EXPECT_TRUE(t.table.ExecuteStatement("TransSpeed=5", true));
  EXPECT_EQ(t.speed, 5);
  EXPECT_TRUE(t.prompt.boxes.empty());
}
