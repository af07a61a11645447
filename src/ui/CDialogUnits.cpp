#include "ui/CDialogUnits.h"

#include <QApplication>
#include <QFontMetrics>

namespace {

// The pixels of one dialog unit in the font the layouts were drawn with, times 1000.
constexpr int kLayoutMilliPixelsX = 1500;
constexpr int kLayoutMilliPixelsY = 1625;

// Rounds to nearest like the classic MulDiv, also for negative values.
int ScaleRounded(int units, int base, int divisor) {
  const long long product = static_cast<long long>(units) * base;
  const long long half = divisor / 2;
  return static_cast<int>(product >= 0 ? (product + half) / divisor
                                       : -((-product + half) / divisor));
}

}  // namespace

CDialogUnits::CDialogUnits() : CDialogUnits(QApplication::font()) {}

CDialogUnits::CDialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  // The average width of the 52 letters, rounded, rather than the font's own average-width
  // field, which many fonts fill with a figure that does not match their letters.
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  m_baseX = (letters / 26 + 1) / 2;
  m_baseY = metrics.height();
  if (m_baseX < 1)
    m_baseX = 1;
  if (m_baseY < 1)
    m_baseY = 1;
}

int CDialogUnits::ToPixelsX(int units) const {
  return ScaleRounded(units, m_baseX, 4);
}

int CDialogUnits::ToPixelsY(int units) const {
  return ScaleRounded(units, m_baseY, 8);
}

QRect CDialogUnits::ToPixels(int x, int y, int width, int height) const {
  // Convert the edges rather than the sizes, so that controls which touch in dialog units still
  // touch in pixels.
  const int left = ToPixelsX(x);
  const int top = ToPixelsY(y);
  return QRect(left, top, ToPixelsX(x + width) - left, ToPixelsY(y + height) - top);
}

QRect CDialogUnits::ToPixels(const QRect& units) const {
  return ToPixels(units.x(), units.y(), units.width(), units.height());
}

QPoint CDialogUnits::FromLayoutPixels(int x, int y) const {
  return QPoint(ScaleRounded(x, m_baseX * 1000, 4 * kLayoutMilliPixelsX),
                ScaleRounded(y, m_baseY * 1000, 8 * kLayoutMilliPixelsY));
}
