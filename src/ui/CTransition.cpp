#include "ui/CTransition.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QRegion>
#include <QScreen>
#include <QThread>
#include <QWidget>
#include <QWindow>

namespace {

constexpr int kFrameCount = 48;
constexpr int kStepDivisor = 96;

QRegion FrameRegion(const TransitionFrame& frame, TransitionShape shape, const QPoint& offset) {
  const QRect bounds(frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top);
  if (bounds.isEmpty()) {
    // An empty mask means "no mask" to Qt and would show the whole window; a pixel outside the
    // window hides all of it, which is what an empty shape means here.
    return QRegion(-1, -1, 1, 1);
  }
  const QRegion region(bounds,
                       shape == TransitionShape::Ellipse ? QRegion::Ellipse : QRegion::Rectangle);
  return region.translated(offset);
}

// Platforms without window shapes (the offscreen one, some Wayland compositors) warn at every
// frame; the animation then just keeps its pace, so that warning is dropped while it runs.
class CQuietMasks final {
 public:
  CQuietMasks() : m_previous(qInstallMessageHandler(&CQuietMasks::Handle)) {
    s_previous = m_previous;
  }
  ~CQuietMasks() {
    qInstallMessageHandler(m_previous);
    s_previous = nullptr;
  }
  CQuietMasks(const CQuietMasks&) = delete;
  CQuietMasks& operator=(const CQuietMasks&) = delete;

 private:
  static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg &&
        text.contains(QLatin1String("does not support setting window masks"))) {
      return;
    }
    // Qt hands back its own default handler when none was installed, so there is always one.
    if (s_previous != nullptr)
      s_previous(type, context, text);
  }

  static inline QtMessageHandler s_previous = nullptr;
  QtMessageHandler m_previous;
};

// A window manager that reparents a window maps it only after it has given it its frame, so a
// window on the screen has its final outer size. Platforms that never say so are not waited for
// longer than a moment.
void WaitUntilExposed(QWidget& window) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < 500) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    const QWindow* handle = window.windowHandle();
    if (handle == nullptr || handle->isExposed())
      return;
  }
}

}  // namespace

TransitionShape ShapeForTransition(int transition) {
  return transition == 1 ? TransitionShape::Ellipse : TransitionShape::Rectangle;
}

std::vector<TransitionFrame> ComputeTransitionFrames(int width, int height, TransitionShape shape,
                                                     bool opening) {
  const int hw = width / 2;
  const int hh = height / 2;
  // The shape outgrows the window: an inscribed ellipse needs about 1.41 times the window to
  // cover its corners, a rectangle just over 1.
  const double factor = shape == TransitionShape::Ellipse ? 1.5 : 1.1;
  const int scaledWidth = static_cast<int>(width * factor);
  const int scaledHeight = static_cast<int>(height * factor);
  const int dx = scaledWidth / kStepDivisor;
  const int dy = scaledHeight / kStepDivisor;

  std::vector<TransitionFrame> frames;
  frames.reserve(kFrameCount);
  for (int i = 0; i < kFrameCount; ++i) {
    const int s = opening ? i : kFrameCount - i;
    frames.push_back({hw - s * dx, hh - s * dy, hw + s * dx, hh + s * dy});
  }
  return frames;
}

CTransition::CTransition()
    : m_sleep([](int milliseconds) {
        if (milliseconds > 0)
          QThread::msleep(static_cast<unsigned long>(milliseconds));
      }) {}

void CTransition::RunTransition(QWidget& window, TransitionShape shape, int& speed, bool opening) {
  if (!m_allowed)
    return;

  const CQuietMasks quiet;
  if (opening) {
    // The window is centred by its outer size, frame included, and the window manager gives it
    // its frame only once it is shown: show it with nothing of it visible (the first frame is
    // an empty shape anyway) and wait until it is on the screen.
    window.setMask(FrameRegion({}, shape, {}));
    window.showNormal();
    WaitUntilExposed(window);
  }
  const QRect outer = window.frameGeometry();
  const int w = outer.width();
  const int h = outer.height();

  if (opening) {
    const QScreen* screen = window.screen();
    if (screen == nullptr)
      screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) {
      const QRect area = screen->geometry();
      window.move(area.x() + (area.width() - w) / 2, area.y() + (area.height() - h) / 2);
    }
    window.update();
  }

  if (speed < 0 || speed > 100)
    speed = 50;
  const int wait = 100 - speed;

  for (const TransitionFrame& frame : ComputeTransitionFrames(w, h, shape, opening)) {
    // The frames are measured from the outer corner, the mask from the client's. The frame's
    // size is only known once the window has been shown, so it is measured at every step.
    const QPoint offset = window.frameGeometry().topLeft() - window.geometry().topLeft();
    window.setMask(FrameRegion(frame, shape, offset));
    window.showNormal();
    // Let the window paint its new shape; nothing the user does is handled meanwhile.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_sleep(wait);
  }

  if (opening)
    window.clearMask();
}
