#pragma once

#include <QFont>
#include <QRect>

/// Turns dialog-template units into pixels for a font, so window layouts can be written in the
/// units they were designed in: one horizontal unit is a quarter of the font's average character
/// width, one vertical unit an eighth of its height.
class CDialogUnits final {
 public:
  /// Uses the application's font (the system UI font unless someone changed it).
  CDialogUnits();
  explicit CDialogUnits(const QFont& font);

  int BaseX() const { return m_baseX; }
  int BaseY() const { return m_baseY; }
  int ToPixelsX(int units) const;
  int ToPixelsY(int units) const;
  /// A rectangle given as x, y, width, height in dialog units.
  QRect ToPixels(int x, int y, int width, int height) const;
  QRect ToPixels(const QRect& units) const;
  /// A point that the layouts give in pixels rather than dialog units. Those pixels belong to
  /// the font the layouts were drawn with, whose units are 1.5 by 1.625 pixels; the point moves
  /// with the units so that it keeps its place among the other controls.
  QPoint FromLayoutPixels(int x, int y) const;

 private:
  int m_baseX = 0;
  int m_baseY = 0;
};
