#include "ui/CStatusText.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>

namespace {

const QColor kNormalText(17, 68, 128);
const QColor kNoteText(239, 239, 216);
const QColor kNoteBackground(0, 35, 86);
constexpr double kStep = 0.25;     // points
constexpr double kSmallest = 0.5;  // of the dialog's font

bool Fits(const QString& text, const QFont& font, const QRect& room) {
  const QFontMetrics metrics(font);
  // A word wider than the room would be cut, wrapped or not.
  for (const QString& word : text.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts)) {
    if (metrics.horizontalAdvance(word) > room.width())
      return false;
  }
  const QRect needed = metrics.boundingRect(room, CStatusText::kTextFlags, text);
  return needed.width() <= room.width() && needed.height() <= room.height();
}

}  // namespace

CStatusText::CStatusText(QWidget* parent) : QLabel(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  SetNote(false);
}

void CStatusText::SetText(const QString& text) {
  setText(text);
  update();
}

QRect CStatusText::TextRect() const {
  return contentsRect().adjusted(1, 0, -1, 0);
}

QFont CStatusText::TextFont() const {
  QFont font = parentWidget() ? parentWidget()->font() : QFont();
  const double size = font.pointSizeF();
  const QRect room = TextRect();
  if (size <= 0 || room.isEmpty())
    return font;
  for (double points = size; points >= size * kSmallest; points -= kStep) {
    font.setPointSizeF(points);
    if (Fits(text(), font, room))
      break;
  }
  return font;
}

void CStatusText::SetNote(bool note) {
  m_note = note;
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, note ? kNoteText : kNormalText);
  colours.setColor(QPalette::Window, kNoteBackground);
  setPalette(colours);
  // Without the note the text stands on the dialog's own background.
  setAutoFillBackground(note);
  update();
}

void CStatusText::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    emit Clicked();
}

void CStatusText::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);  // the frame; the text is drawn here, in its fitted font
  QPainter painter(this);
  painter.setFont(TextFont());
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(TextRect(), kTextFlags, text());
}
