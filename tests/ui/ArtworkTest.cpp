#include "ui/Artwork.h"

#include <gtest/gtest.h>

#include <QImage>

#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace {

unsigned ReadLittle(const std::string& bytes, std::size_t at, int size) {
  unsigned value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = value * 256 + static_cast<unsigned char>(bytes[at + i]);
  return value;
}

}  // namespace

TEST(Artwork, BackgroundsLieBesideTheProgramAsSmallTwentyFourBitBitmaps) {
  for (const char* name : {"EarthBound.bmp", "ZadozEziz.bmp", "ForestFire!.bmp"}) {
    const std::string path = GetAppDir() + "/" + name;
    const std::string bytes = ReadFileBytes(path);
    ASSERT_GT(bytes.size(), 54u) << path;
    EXPECT_EQ(bytes.substr(0, 2), "BM") << name;
    EXPECT_EQ(ReadLittle(bytes, 28, 2), 24u) << name;  // bits per pixel
    const unsigned width = ReadLittle(bytes, 18, 4);
    const unsigned height = ReadLittle(bytes, 22, 4);
    EXPECT_TRUE(width >= 16 && width <= 96 && height >= 16 && height <= 96) << name;
    EXPECT_FALSE(QImage(QString::fromStdString(path)).isNull()) << name;
  }
}

TEST(Artwork, IconsAreEmbeddedAndTheFileTypeIconsLieBesideTheProgram) {
  for (const QIcon& icon : {GetAppIcon(), GetPatchIcon(), GetRomIcon(), GetFileTypeIcon(1),
                            GetFileTypeIcon(2), GetFileTypeIcon(3)}) {
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32), QSize(48, 48)}));
  }
  EXPECT_TRUE(GetFileTypeIcon(-1).isNull());
  EXPECT_TRUE(GetFileTypeIcon(5).isNull());

  for (const QPixmap& picture : {GetPatchPicture(), GetRomPicture()}) {
    EXPECT_EQ(picture.size(), QSize(48, 48));
    // Painted over the background: the corners must let it show through.
    EXPECT_TRUE(picture.hasAlphaChannel());
    EXPECT_EQ(qAlpha(picture.toImage().pixel(0, 0)), 0);
  }

  for (int choice = 0; choice <= 4; ++choice) {
    const std::string file = GetFileTypeIconFile(choice);
    EXPECT_TRUE(PathExists(file)) << file;
    EXPECT_EQ(QImage(QString::fromStdString(file)).size(), QSize(48, 48)) << file;
  }
  EXPECT_EQ(GetFileTypeIconFile(5), "");
  EXPECT_EQ(GetFileTypeIconFile(-1), "");
  // The three choices are three different pictures.
  EXPECT_NE(ReadFileBytes(GetFileTypeIconFile(1)), ReadFileBytes(GetFileTypeIconFile(2)));
  EXPECT_NE(ReadFileBytes(GetFileTypeIconFile(2)), ReadFileBytes(GetFileTypeIconFile(3)));
  EXPECT_NE(ReadFileBytes(GetFileTypeIconFile(1)), ReadFileBytes(GetFileTypeIconFile(3)));
}
