#include "ui/CBackground.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRect>
#include <QWidget>

#include "parser/TextUtil.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"

namespace {

constexpr std::string_view kAppPlaceholder = "%app%";
constexpr std::string_view kEarthBoundChoice = "%app%/earthbound.bmp";

}  // namespace

std::string CBackground::ExpandAppDir(const std::string& windowBackground,
                                      const std::string& appDir) {
  std::string result;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = windowBackground.find(kAppPlaceholder, from);
    if (at == std::string::npos)
      break;
    result.append(windowBackground, from, at - from);
    result += appDir;
    from = at + kAppPlaceholder.size();
  }
  result.append(windowBackground, from, std::string::npos);
  return result;
}

bool CBackground::IsEarthBoundChoice(const std::string& windowBackground) {
  return EqualsNoCase(windowBackground, kEarthBoundChoice);
}

void CBackground::LoadBackground(const std::string& windowBackground) {
  m_setting = windowBackground;
  m_picture = QPixmap();
  if (windowBackground.empty())
    return;
  const std::string path = ExpandHome(ExpandAppDir(windowBackground, GetAppDir()));
  // Read by its bytes (a name in another encoding than the locale's still names the file), as a
  // regular file of a size a picture may have: a FIFO or a device named here would otherwise hang
  // or fill the memory at every start.
  constexpr int64_t kMaxPictureSize = 64 * 1024 * 1024;
  std::string bytes;
  if (!ReadWholeFile(path, bytes, nullptr, CFile::Mode::Read, kMaxPictureSize))
    return;
  const QImage image = QImage::fromData(QByteArray::fromStdString(bytes));
  if (image.isNull())
    return;
  m_picture = QPixmap::fromImage(image);
}

void CBackground::EraseBackground(QPainter& painter, const QRect& clientRect,
                                  const QColor& buttonFace) const {
  if (clientRect.isEmpty())
    return;
  if (!HasPicture()) {
    painter.fillRect(clientRect, buttonFace);
    return;
  }
  painter.save();
  // The tiles start at the client's corner whatever the painter painted before.
  painter.setBrushOrigin(clientRect.topLeft());
  painter.fillRect(clientRect, QBrush(m_picture));
  // The frame a plain rectangle gets from the default pen: one black pixel along each edge.
  const QColor frame(Qt::black);
  painter.fillRect(QRect(clientRect.left(), clientRect.top(), clientRect.width(), 1), frame);
  painter.fillRect(QRect(clientRect.left(), clientRect.bottom(), clientRect.width(), 1), frame);
  painter.fillRect(QRect(clientRect.left(), clientRect.top(), 1, clientRect.height()), frame);
  painter.fillRect(QRect(clientRect.right(), clientRect.top(), 1, clientRect.height()), frame);
  painter.restore();
}

ControlColors CBackground::GetControlColors(bool isInstalledRomsLabel) const {
  if (isInstalledRomsLabel && IsEarthBoundChoice(m_setting)) {
    return {QColor(255, 255, 255), QColor(0, 0, 0)};
  }
  return {HasPicture() ? QColor(255, 255, 255) : QColor(0, 0, 0), QColor(Qt::transparent)};
}

void CBackground::ApplyControlColors(QWidget& control, bool isInstalledRomsLabel) const {
  // A raised push button paints its own light face; white text on it would be unreadable, and
  // such buttons never took their parent's colours anyway.
  if (const auto* button = qobject_cast<const QPushButton*>(&control);
      button != nullptr && !button->isFlat()) {
    return;
  }
  const ControlColors colors = GetControlColors(isInstalledRomsLabel);
  QPalette palette = control.palette();
  // Disabled controls keep the style's greyed text, as they would over any background.
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
      palette.setColor(group, role, colors.text);
    }
  }
  const bool solid = colors.background.alpha() != 0;
  // A label that was a black bar under the previous picture gets its ordinary ground back.
  const QPalette usual = QApplication::palette(&control);
  for (const QPalette::ColorGroup group :
       {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setBrush(group, QPalette::Window,
                     solid ? QBrush(colors.background) : usual.brush(group, QPalette::Window));
  }
  control.setPalette(palette);
  control.setAutoFillBackground(solid);
}

void CBackground::ApplyControlColorsToChildren(QWidget& window,
                                               const QWidget* installedRomsLabel) const {
  const auto children = window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  for (QWidget* child : children) {
    // Lists and text fields paint their own ground.
    if (qobject_cast<QAbstractItemView*>(child) != nullptr ||
        qobject_cast<QLineEdit*>(child) != nullptr)
      continue;
    if (qobject_cast<QMenuBar*>(child) != nullptr)
      continue;
    // Context menus and dialogs owned by the window are windows of their own, drawn on the
    // style's ground, not on the picture.
    if (child->isWindow())
      continue;
    ApplyControlColors(*child, child == installedRomsLabel);
  }
}
