#include "db/SizeWord.h"

#include "gtest/gtest.h"

TEST(SizeWord, TheDialogsSizeListMapsToAndFromSizeWords) {
  EXPECT_EQ(RomSizeListText(0), "1Mbit");
  EXPECT_EQ(RomSizeListText(12), "64Mbit");
  EXPECT_EQ(RomSizeListText(13), "");
  // The header flag lives in its own check box; sizes the list lacks select nothing.
  EXPECT_EQ(RomSizeListIndex(24 | kHeaderFlag), 8);
  EXPECT_EQ(RomSizeListIndex(24), 8);
  EXPECT_EQ(RomSizeListIndex(kHeaderFlag), -1);
  EXPECT_EQ(RomSizeListIndex(36), -1);
  EXPECT_EQ(RomSizeListIndex(kNoSize), -1);
  EXPECT_EQ(SizeWordFromList(8, true), 280);
  EXPECT_EQ(SizeWordFromList(5, false), 12);
  EXPECT_EQ(SizeWordFromList(-1, true), kNoSize);
  for (int i = 0; i < static_cast<int>(kRomSizeList.size()); ++i)
    EXPECT_EQ(RomSizeListIndex(SizeWordFromList(i, i % 2 == 0)), i);
}
