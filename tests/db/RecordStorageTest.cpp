#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "db/CPatchDB.h"
#include "support/ScriptedPrompt.h"

namespace {

// Texts of every length class of a field's block, and the ways a field takes a new text.
TEST(RecordStorage, FieldsHoldAnyTextAndTakeNewOnesSafely) {
  for (const size_t length : {0u, 1u, 63u, 64u, 8191u, 8192u, 70000u}) {
    std::string text(length, 'x');
    if (length > 0)
      text.back() = '\0';
    FieldText field(text);
    EXPECT_EQ(field, text);
    EXPECT_EQ(field.size(), length);
    FieldText moved(std::move(field));
    EXPECT_EQ(moved, text);
  }
  FieldText field("Mother 2");
  field = field.view().substr(2);  // its own bytes
  EXPECT_EQ(field, "ther 2");
  field += " (J)";
  EXPECT_EQ("[" + field + "]", "[ther 2 (J)]");
  field.clear();
  EXPECT_TRUE(field.empty());
}

// Records read from a file live in the database's store and borrow their texts from it: an
// edited one beside them, a copy that outlives the database, a second load and removals must
// all keep the texts right.
TEST(RecordStorage, ReadRecordsStayTrueThroughEditsCopiesAndLoads) {
  ScriptedPrompt prompt;
  const std::string file =
      "[patches]\r\nA|Me|1.0|D|/p/a.ips|GAME|24mbit no header|0123\r\n"
      "B|You|2.0|E|/p/b.ips|GAME|8Mbit|\r\n[roms]\r\nGAME|24Mbit|/r/g.smc|0123|Forced\r\n";
  PatchRecord copy;
  {
    CPatchDB db(prompt);
    db.LoadBytes(file);
    ASSERT_EQ(db.GetPatchCount(), 2);
    PatchRecord& a = *db.GetPatch(0);
    a.Author = "Someone " + a.Author;
    a.RomName = "OTHER";  // B's is the same text, held once
    EXPECT_EQ(db.GetPatch(1)->RomName, "GAME");
    EXPECT_EQ(a.RomSize, "24Mbit No header");
    copy = *db.GetPatch(1);
    db.LoadBytes("[patches]\r\nC|They|3.0|F|/p/c.ips|GAME|16Mbit|\r\n");
    ASSERT_EQ(db.GetPatchCount(), 3);
    EXPECT_EQ(db.GetPatch(0)->Author, "Someone Me");
    EXPECT_EQ(db.GetPatch(1)->Filename, "/p/b.ips");
    EXPECT_EQ(db.GetPatch(2)->PatchName, "C");
    EXPECT_EQ(db.GetRom(0)->ForcedName, "Forced");

    CPatchDB back(prompt);
    back.LoadBytes(db.Serialize());
    EXPECT_EQ(back.Serialize(), db.Serialize());
    EXPECT_EQ(*back.GetPatch(0), *db.GetPatch(0));

    // Records read and records handed over are removed alike.
    db.AppendPatch(std::make_unique<PatchRecord>(copy));
    db.RemovePatch(0);
    db.RemovePatch(2);
    ASSERT_EQ(db.GetPatchCount(), 2);
    EXPECT_EQ(db.GetPatch(1)->PatchName, "C");
  }
  EXPECT_EQ(copy.PatchName, "B");
  EXPECT_EQ(copy.RomSize, "8Mbit");
  EXPECT_TRUE(prompt.boxes.empty());
}

}  // namespace
