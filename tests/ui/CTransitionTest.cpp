#include "ui/CTransition.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QRegion>
#include <QScreen>
#include <QWidget>
#include <vector>

#include "db/CPatchDB.h"
#include "support/ScriptedPrompt.h"

namespace {

// The region a frame should give, in the widget's coordinates.
QRegion Expected(const QWidget& window, const TransitionFrame& f, QRegion::RegionType type) {
  const QPoint offset = window.frameGeometry().topLeft() - window.geometry().topLeft();
  return QRegion(QRect(f.left, f.top, f.right - f.left, f.bottom - f.top), type).translated(offset);
}

struct Recorded {
  std::vector<int> waits;
  std::vector<QRegion> masks;
};

// A transition whose waits are counted, with the window's mask noted at every frame.
CTransition CountingTransition(QWidget& window, Recorded& recorded) {
  CTransition transition;
  transition.SetSleeper([&window, &recorded](int milliseconds) {
    recorded.waits.push_back(milliseconds);
    recorded.masks.push_back(window.mask());
  });
  return transition;
}

}  // namespace

TEST(TransitionFrames, FourHundredPixelEllipseGrowsAndShrinksInFortyEightSteps) {
  const auto opening = ComputeTransitionFrames(400, 300, TransitionShape::Ellipse, true);
  ASSERT_EQ(opening.size(), 48u);
  // W = 600, dx = 6; H = 450, dy = 4.
  EXPECT_EQ(opening.front(), (TransitionFrame{200, 150, 200, 150}));
  EXPECT_EQ(opening[1], (TransitionFrame{194, 146, 206, 154}));
  EXPECT_EQ(opening.back(), (TransitionFrame{200 - 282, 150 - 188, 200 + 282, 150 + 188}));

  const auto closing = ComputeTransitionFrames(400, 300, TransitionShape::Ellipse, false);
  ASSERT_EQ(closing.size(), 48u);
  EXPECT_EQ(closing.front(), (TransitionFrame{200 - 288, 150 - 192, 200 + 288, 150 + 192}));
  EXPECT_EQ(closing.back(), opening[1]);
  for (std::size_t i = 1; i < closing.size(); ++i) {
    EXPECT_EQ(closing[i], opening[48 - i]) << i;
  }
}

TEST(TransitionFrames, ShapeFactorsAndIntegerSteps) {
  EXPECT_EQ(ShapeForTransition(1), TransitionShape::Ellipse);
  for (int transition : {0, 2, 5, -1}) {
    EXPECT_EQ(ShapeForTransition(transition), TransitionShape::Rectangle) << transition;
  }

  // Rectangle: W = 440, dx = 4; H = 330, dy = 3.
  const auto rect = ComputeTransitionFrames(400, 300, TransitionShape::Rectangle, true);
  EXPECT_EQ(rect.back(), (TransitionFrame{200 - 188, 150 - 141, 200 + 188, 150 + 141}));

  // Odd sizes: half sizes and scaled sizes are truncated, not rounded.
  const auto odd = ComputeTransitionFrames(401, 301, TransitionShape::Ellipse, true);
  EXPECT_EQ(odd[1], (TransitionFrame{194, 146, 206, 154}));
  // 87 × 1.1 = 95.7 gives no step at all, 88 × 1.1 = 96.8 a step of one pixel.
  EXPECT_EQ(ComputeTransitionFrames(87, 87, TransitionShape::Rectangle, true).back(),
            (TransitionFrame{43, 43, 43, 43}));
  EXPECT_EQ(ComputeTransitionFrames(88, 88, TransitionShape::Rectangle, true).back(),
            (TransitionFrame{44 - 47, 44 - 47, 44 + 47, 44 + 47}));
  // 63 × 1.5 = 94.5: the ellipse never grows; 64 × 1.5 = 96 grows by one.
  EXPECT_EQ(ComputeTransitionFrames(63, 63, TransitionShape::Ellipse, false).front(),
            (TransitionFrame{31, 31, 31, 31}));
  EXPECT_EQ(ComputeTransitionFrames(64, 64, TransitionShape::Ellipse, false).front(),
            (TransitionFrame{32 - 48, 32 - 48, 32 + 48, 32 + 48}));
}

TEST(RunTransition, OpeningCentresMasksEveryFrameThenShowsTheWholeWindow) {
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  db.SetDefaults();  // ellipse at speed 60
  QWidget window;
  window.resize(400, 300);
  window.move(0, 0);
  ASSERT_EQ(window.frameGeometry().size(), window.size());  // no frame before it is shown
  Recorded recorded;
  CTransition transition = CountingTransition(window, recorded);

  transition.RunTransition(window, ShapeForTransition(db.Transition), db.TransSpeed, true);

  // Centred and animated by its outer size, which includes the frame it got when shown.
  const QSize outer = window.frameGeometry().size();
  ASSERT_NE(outer, window.size());

  EXPECT_EQ(recorded.waits, std::vector<int>(48, 40));
  ASSERT_EQ(recorded.masks.size(), 48u);
  // The first shape is empty: a mask that hides the whole window, not "no mask".
  EXPECT_FALSE(recorded.masks.front().isEmpty());
  EXPECT_TRUE(recorded.masks.front().intersected(window.rect()).isEmpty());
  const auto frames =
      ComputeTransitionFrames(outer.width(), outer.height(), TransitionShape::Ellipse, true);
  for (int i = 1; i < 48; ++i) {
    EXPECT_EQ(recorded.masks[i], Expected(window, frames[i], QRegion::Ellipse)) << i;
  }
  EXPECT_TRUE(window.mask().isEmpty());
  EXPECT_TRUE(window.isVisible());

  const QRect screen = window.screen()->geometry();
  EXPECT_EQ(window.pos(), QPoint(screen.x() + (screen.width() - outer.width()) / 2,
                                 screen.y() + (screen.height() - outer.height()) / 2));
  EXPECT_EQ(db.TransSpeed, 60);
}

TEST(RunTransition, ClosingKeepsPositionAndLeavesTheSmallestShape) {
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  db.SetDefaults();
  db.Transition = 5;  // not in the list: a rectangle
  db.TransSpeed = 100;
  QWidget window;
  window.resize(400, 300);
  window.move(30, 40);
  window.show();
  const QPoint before = window.pos();
  Recorded recorded;
  CTransition transition = CountingTransition(window, recorded);

  transition.RunTransition(window, ShapeForTransition(db.Transition), db.TransSpeed, false);

  EXPECT_EQ(recorded.waits, std::vector<int>(48, 0));
  EXPECT_EQ(window.pos(), before);
  const auto frames =
      ComputeTransitionFrames(window.frameGeometry().width(), window.frameGeometry().height(),
                              TransitionShape::Rectangle, false);
  EXPECT_EQ(recorded.masks.front(), Expected(window, frames.front(), QRegion::Rectangle));
  EXPECT_EQ(window.mask(), Expected(window, frames.back(), QRegion::Rectangle));
  EXPECT_FALSE(window.mask().isEmpty());
}

TEST(RunTransition, OutOfRangeSpeedRunsAtFiftyAndIsSavedAsFifty) {
  for (int speed : {150, -1, 101}) {
    ScriptedPrompt prompt;
    CPatchDB db(prompt);
    db.SetDefaults();
    db.TransSpeed = speed;
    QWidget window;
    window.resize(200, 100);
    Recorded recorded;
    CTransition transition = CountingTransition(window, recorded);
    transition.RunTransition(window, ShapeForTransition(db.Transition), db.TransSpeed, false);
    EXPECT_EQ(recorded.waits, std::vector<int>(48, 50)) << speed;
    EXPECT_EQ(db.TransSpeed, 50);
    EXPECT_NE(db.Serialize().find("TransSpeed=50\r\n"), std::string::npos);
  }
  // The ends of the range are kept: 0 waits 100 ms a frame.
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  db.SetDefaults();
  db.TransSpeed = 0;
  QWidget window;
  window.resize(200, 100);
  Recorded recorded;
  CTransition transition = CountingTransition(window, recorded);
  transition.RunTransition(window, ShapeForTransition(db.Transition), db.TransSpeed, false);
  EXPECT_EQ(recorded.waits, std::vector<int>(48, 100));
  EXPECT_EQ(db.TransSpeed, 0);
}

TEST(RunTransition, NotAllowedDoesNothingAtAll) {
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  db.SetDefaults();
  db.TransSpeed = 150;
  QWidget window;
  window.resize(400, 300);
  window.move(5, 6);
  Recorded recorded;
  CTransition transition = CountingTransition(window, recorded);
  EXPECT_TRUE(transition.IsAllowed());
  transition.SetAllowed(false);

  transition.RunTransition(window, ShapeForTransition(db.Transition), db.TransSpeed, true);

  EXPECT_TRUE(recorded.waits.empty());
  EXPECT_EQ(db.TransSpeed, 150);
  EXPECT_EQ(window.pos(), QPoint(5, 6));
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(window.mask().isEmpty());
}

TEST(RunTransition, KeepsItsPaceWithoutWindowMasks) {
  // The offscreen platform has no window shapes; the animation must still take its time.
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  db.SetDefaults();
  db.TransSpeed = 95;
  QWidget window;
  window.resize(300, 200);
  CTransition transition;
  QElapsedTimer timer;
  timer.start();
  transition.RunTransition(window, ShapeForTransition(db.Transition), db.TransSpeed, true);
  EXPECT_GE(timer.elapsed(), 48 * 5);
  EXPECT_LT(timer.elapsed(), 5000);
}
