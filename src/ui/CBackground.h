#pragma once

#include <QColor>
#include <QPixmap>
#include <string>

class QPainter;
class QRect;
class QWidget;

/// How a child control of the main window draws its text and background.
struct ControlColors {
  QColor text;
  /// Qt::transparent when the window background shows through.
  QColor background;
};

/// The main window's background picture, tiled over its client area, and the colours its child
/// controls use over it.
class CBackground final {
 public:
  /// Loads the picture named by the WindowBackground setting, with every "%app%" (exact case)
  /// replaced by the program's directory. Empty text, "<None>" or a file that does not load
  /// leaves no picture, silently. The text is kept for GetControlColors.
  void LoadBackground(const std::string& windowBackground);

  bool HasPicture() const { return !m_picture.isNull(); }
  const QPixmap& Picture() const { return m_picture; }

  /// Paints the client area: the picture tiled from the client's top-left corner inside a
  /// one-pixel black frame, or a plain fill with `buttonFace` when there is no picture.
  void EraseBackground(QPainter& painter, const QRect& clientRect, const QColor& buttonFace) const;

  /// White text over a picture, black without, on a transparent background. The
  /// "  Installed ROMs" label is a white-on-black bar when the setting names the EarthBound
  /// picture beside the program, in any letter case.
  ControlColors GetControlColors(bool isInstalledRomsLabel) const;

  /// Gives one control the colours of GetControlColors through its palette. Raised (not flat)
  /// push buttons keep the style's colours.
  void ApplyControlColors(QWidget& control, bool isInstalledRomsLabel) const;
  /// The same for every direct child of `window` except the lists and the menu bar, which draw
  /// their own backgrounds.
  void ApplyControlColorsToChildren(QWidget& window, const QWidget* installedRomsLabel) const;

  /// Whether the setting, as stored (before "%app%" is replaced), is the EarthBound choice.
  static bool IsEarthBoundChoice(const std::string& windowBackground);
  /// The setting's text with "%app%" replaced by `appDir`.
  static std::string ExpandAppDir(const std::string& windowBackground, const std::string& appDir);

 private:
  std::string m_setting;
  QPixmap m_picture;
};
