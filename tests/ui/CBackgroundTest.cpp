#include "ui/CBackground.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTreeView>
#include <QWidget>
#include <filesystem>

#include "platform/FileSystem.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace {

const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);

// A small picture whose every pixel differs, so that a tiling error shows in any pixel.
QImage MakeTile(int width, int height) {
  QImage tile(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      tile.setPixel(x, y, qRgb(20 + x * 25, 30 + y * 35, 200));
  }
  return tile;
}

std::string SaveTile(const TempDir& dir, const QImage& tile) {
  const std::string path = dir.File("tile.bmp");
  EXPECT_TRUE(tile.save(QString::fromStdString(path), "BMP"));
  return path;
}

}  // namespace

TEST(LoadBackground, ExpandsOnlyTheExactPlaceholder) {
  EXPECT_EQ(CBackground::ExpandAppDir("%app%/a%app%b", "/opt/x"), "/opt/x/a/opt/xb");
  EXPECT_EQ(CBackground::ExpandAppDir("%APP%/EarthBound.bmp", "/opt/x"), "%APP%/EarthBound.bmp");
  EXPECT_EQ(CBackground::ExpandAppDir("%ap%app%p", "/d"), "%ap/dp");
  EXPECT_EQ(CBackground::ExpandAppDir("", "/d"), "");

  CBackground background;
  background.LoadBackground("%app%/EarthBound.bmp");
  ASSERT_TRUE(background.HasPicture());
  EXPECT_EQ(background.Picture().size(), QSize(64, 64));
  background.LoadBackground("%APP%/EarthBound.bmp");
  EXPECT_FALSE(background.HasPicture());
  background.LoadBackground("%app%/ForestFire!.bmp");
  EXPECT_TRUE(background.HasPicture());
  background.LoadBackground("<None>");
  EXPECT_FALSE(background.HasPicture());
  background.LoadBackground("%app%/ZadozEziz.bmp");
  background.LoadBackground("");
  EXPECT_FALSE(background.HasPicture());

  TempDir dir;
  background.LoadBackground(dir.Write("broken.bmp", "BM not really a bitmap"));
  EXPECT_FALSE(background.HasPicture());
  background.LoadBackground(dir.File("missing.bmp"));
  EXPECT_FALSE(background.HasPicture());
  background.LoadBackground(SaveTile(dir, MakeTile(5, 3)));
  EXPECT_EQ(background.Picture().size(), QSize(5, 3));
  // "~" is the home folder; a name that is not UTF-8 still names its file.
  const std::string latin1 = dir.File("caf\xE9.bmp");
  std::filesystem::rename(dir.File("tile.bmp"), latin1);
  {
    const ScopedEnv home("HOME", dir.Path().c_str());
    background.LoadBackground("~/caf\xE9.bmp");
  }
  EXPECT_EQ(background.Picture().size(), QSize(5, 3));
}

TEST(ControlColors, FollowThePictureAndTheEarthBoundChoice) {
  CBackground background;
  for (const char* none : {"", "<None>", "%APP%/ZadozEziz.bmp"}) {
    background.LoadBackground(none);
    for (bool label : {false, true}) {
      const ControlColors colors = background.GetControlColors(label);
      EXPECT_EQ(colors.text, kBlack) << none;
      EXPECT_EQ(colors.background.alpha(), 0) << none;
    }
  }

  background.LoadBackground("%app%/ZadozEziz.bmp");
  for (bool label : {false, true}) {
    EXPECT_EQ(background.GetControlColors(label).text, kWhite);
    EXPECT_EQ(background.GetControlColors(label).background.alpha(), 0);
  }

  // The EarthBound choice in any letter case makes the label a white-on-black bar; the other
  // controls follow whether a picture loaded ("%APP%" is not expanded, so nothing loads).
  for (const char* choice :
       {"%app%/EarthBound.bmp", "%app%/earthbound.bmp", "%APP%/EARTHBOUND.BMP"}) {
    background.LoadBackground(choice);
    const ControlColors bar = background.GetControlColors(true);
    EXPECT_EQ(bar.text, kWhite) << choice;
    EXPECT_EQ(bar.background, kBlack) << choice;
    EXPECT_EQ(background.GetControlColors(false).text, background.HasPicture() ? kWhite : kBlack);
  }
  EXPECT_FALSE(background.HasPicture());

  // The same file through its full path is a picture like any other.
  background.LoadBackground(GetAppDir() + "/EarthBound.bmp");
  ASSERT_TRUE(background.HasPicture());
  EXPECT_EQ(background.GetControlColors(true).text, kWhite);
  EXPECT_EQ(background.GetControlColors(true).background.alpha(), 0);
  EXPECT_FALSE(CBackground::IsEarthBoundChoice("%app%/EarthBound.bmp "));
  EXPECT_FALSE(CBackground::IsEarthBoundChoice("%app%\\EarthBound.bmp"));
}

TEST(ControlColors, ReachTheControlsButNotTheLists) {
  QWidget window;
  auto* label = new QLabel("  Installed ROMs", &window);
  auto* button = new QPushButton("Play Patch", &window);
  button->setFlat(true);
  auto* close = new QPushButton("Close", &window);
  const QColor closeText = close->palette().color(QPalette::ButtonText);
  auto* list = new QTreeView(&window);
  const QColor listText = list->palette().color(QPalette::Text);
  auto* menu = new QMenu(&window);
  const QColor menuText = menu->palette().color(QPalette::WindowText);
  CBackground background;

  background.LoadBackground("%app%/EarthBound.bmp");
  background.ApplyControlColorsToChildren(window, label);
  EXPECT_TRUE(label->autoFillBackground());
  EXPECT_EQ(label->palette().color(QPalette::Window), kBlack);
  EXPECT_EQ(label->palette().color(QPalette::WindowText), kWhite);
  EXPECT_FALSE(button->autoFillBackground());
  EXPECT_EQ(button->palette().color(QPalette::ButtonText), kWhite);
  EXPECT_EQ(list->palette().color(QPalette::Text), listText);
  EXPECT_EQ(close->palette().color(QPalette::ButtonText), closeText);
  EXPECT_EQ(menu->palette().color(QPalette::WindowText), menuText);

  // Drawn, the label is a black bar.
  const QImage drawn = label->grab().toImage();
  EXPECT_EQ(QColor(drawn.pixel(0, 0)), kBlack);

  background.LoadBackground("<None>");
  background.ApplyControlColorsToChildren(window, label);
  EXPECT_FALSE(label->autoFillBackground());
  EXPECT_EQ(label->palette().color(QPalette::WindowText), kBlack);
  EXPECT_EQ(button->palette().color(QPalette::ButtonText), kBlack);
}

TEST(EraseBackground, TilesFromTheClientCornerInsideABlackFrame) {
  TempDir dir;
  const QImage tile = MakeTile(8, 6);
  CBackground background;
  background.LoadBackground(SaveTile(dir, tile));
  ASSERT_TRUE(background.HasPicture());

  const QColor outside(255, 0, 255);
  QImage image(40, 30, QImage::Format_RGB32);
  image.fill(outside);
  const QRect client(3, 2, 30, 20);
  {
    QPainter painter(&image);
    background.EraseBackground(painter, client, QColor(240, 240, 240));
  }
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor got(image.pixel(x, y));
      QColor want;
      if (!client.contains(x, y)) {
        want = outside;
      } else if (x == client.left() || x == client.right() || y == client.top() ||
                 y == client.bottom()) {
        want = kBlack;
      } else {
        want = QColor(tile.pixel((x - client.left()) % 8, (y - client.top()) % 6));
      }
      ASSERT_EQ(got, want) << x << "," << y;
    }
  }

  // Without a picture: the plain face colour, no frame.
  background.LoadBackground("<None>");
  image.fill(outside);
  {
    QPainter painter(&image);
    background.EraseBackground(painter, client, QColor(212, 208, 200));
  }
  EXPECT_EQ(QColor(image.pixel(3, 2)), QColor(212, 208, 200));
  EXPECT_EQ(QColor(image.pixel(32, 21)), QColor(212, 208, 200));
  EXPECT_EQ(QColor(image.pixel(33, 22)), outside);
  EXPECT_EQ(QColor(image.pixel(2, 1)), outside);
}
