#include "ui/CStatusText.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {

const QColor kNormalText(17, 68, 128);
const QColor kNoteText(239, 239, 216);
const QColor kNoteBackground(0, 35, 86);

}  // namespace

CStatusText::CStatusText(QWidget* parent) : QLabel(parent) {
  setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  SetNote(false);
}

void CStatusText::SetText(const QString& text) {
  setText(text);
  FitText();
}

void CStatusText::FitText() {
  QFont font = parentWidget() ? parentWidget()->font() : QFont();
  int widest = 0;
  for (const QString& line : text().split('\n'))
    widest = std::max(widest, QFontMetrics(font).horizontalAdvance(line));
  const int room = contentsRect().width() - 2;
  if (widest > room && room > 0) {
    if (font.pointSizeF() > 0)
      font.setPointSizeF(font.pointSizeF() * room / widest);
    else
      font.setPixelSize(std::max(1, font.pixelSize() * room / widest));
  }
  setFont(font);
}

void CStatusText::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  FitText();
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
  if (m_note) {
    // Under the text, on the note's background.
    QPainter painter(this);
    painter.setPen(kNoteText);
    painter.drawText(contentsRect().topLeft() + QPoint(0, fontMetrics().ascent()),
                     QStringLiteral("HELLO"));
  }
  QLabel::paintEvent(event);
}
