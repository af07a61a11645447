#pragma once

#include <functional>
#include <vector>

class QWidget;

enum class TransitionShape { Ellipse, Rectangle };

/// The bounds of one animation frame relative to the window's outer top-left corner; right and
/// bottom are exclusive. An ellipse frame is the ellipse inscribed in these bounds.
struct TransitionFrame {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool operator==(const TransitionFrame&) const = default;
};

/// Transition 1 is the ellipse; every other value animates as a rectangle.
TransitionShape ShapeForTransition(int transition);

/// The 48 frames of the opening (growing) or closing (shrinking) animation of a window of the
/// given outer size, in the order they are shown.
std::vector<TransitionFrame> ComputeTransitionFrames(int width, int height, TransitionShape shape,
                                                     bool opening);

/// The main window's opening and closing animation: the window's visible shape grows out of its
/// centre or shrinks back into it, frame by frame, at the pace of the TransSpeed setting.
class CTransition final {
 public:
  using Sleeper = std::function<void(int milliseconds)>;

  CTransition();

  /// Replaces the wait between frames (tests count the waits instead of sleeping).
  void SetSleeper(Sleeper sleeper) { m_sleep = std::move(sleeper); }

  /// Cleared when the window closes right after a play started from the command line.
  void SetAllowed(bool allowed) { m_allowed = allowed; }
  bool IsAllowed() const { return m_allowed; }

  /// Runs the animation on `window` in `shape` at `speed` (the TransSpeed setting: each frame
  /// waits 100 - speed milliseconds) and returns when it has finished. Opening first centres the
  /// window on its screen and ends with the whole window showing; closing leaves the smallest
  /// shape in place. A speed outside 0 to 100 is corrected to 50 where the caller keeps it.
  void RunTransition(QWidget& window, TransitionShape shape, int& speed, bool opening);

 private:
  bool m_allowed = true;
  Sleeper m_sleep;
};
