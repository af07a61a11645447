#include "ui/CIconBar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace {

const QColor kWhite(255, 255, 255);
const QColor kBarBorder(127, 157, 185);
const QColor kSelectedFill(193, 210, 238);
const QColor kSelectedBorder(49, 106, 197);
const QColor kHoverFill(224, 232, 246);
const QColor kHoverBorder(152, 180, 226);
constexpr int kFontPoints = 7;

// Fills a rectangle and draws a one-pixel border just inside it.
void FillAndFrame(QPainter& painter, const QRect& rect, const QColor& fill, const QColor& border) {
  painter.fillRect(rect, fill);
  painter.setPen(QPen(border, 0));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect.adjusted(0, 0, -1, -1));
}

}  // namespace

CIconBar::CIconBar(QWidget* parent) : QWidget(parent) {
  hide();
  setWindowTitle("_box");
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  // Every paint covers the whole bar from the off-screen picture: nothing to erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  QFont barFont = font();
  barFont.setPointSize(kFontPoints);
  setFont(barFont);
}

void CIconBar::Create(int x, int y, int itemWidth, int itemHeight, int itemCount, int visibleSlots,
                      unsigned controlId) {
  m_position = QPoint(x, y);
  m_itemWidth = itemWidth;
  m_itemHeight = itemHeight;
  m_visibleSlots = std::clamp(visibleSlots, 0, kMaxSlots);
  m_itemCount = std::clamp(itemCount, 0, m_visibleSlots);
  m_controlId = controlId;
  Layout();
  show();
}

void CIconBar::SetHorizontal(bool horizontal) {
  m_horizontal = horizontal;
  Layout();
}

void CIconBar::SetSelection(int index) {
  m_selected = index;
  Repaint();
}

void CIconBar::Layout() {
  const int length = (m_horizontal ? m_itemWidth : m_itemHeight) + kGap;
  if (m_horizontal)
    setGeometry(m_position.x(), m_position.y(), length * m_visibleSlots + 2, m_itemHeight + 4);
  else
    setGeometry(m_position.x(), m_position.y(), m_itemWidth + 2, length * m_visibleSlots + 2);
  Repaint();
}

QRect CIconBar::ItemRect(int slot) const {
  if (slot < 0 || slot >= m_visibleSlots)
    return {};
  if (m_horizontal) {
    const int left = slot * (m_itemWidth + kGap) + 2;
    return QRect(left, 2, m_itemWidth, m_itemHeight);
  }
  // Vertical items end at the item width, which leaves a two-pixel margin on both sides.
  const int top = slot * (m_itemHeight + kGap) + 2;
  return QRect(2, top, m_itemWidth - 2, m_itemHeight);
}

QPoint CIconBar::DrawingOrigin(int slot) const {
  int along = slot * ((m_horizontal ? m_itemWidth : m_itemHeight) + kGap) + 1;
  int across = 2;
  if (slot == m_pressed && slot == m_hover) {
    along += 2;
    across += 2;
  }
  return m_horizontal ? QPoint(along, across) : QPoint(across, along);
}

int CIconBar::SlotAt(const QPoint& point, int count) const {
  for (int slot = 0; slot < count; ++slot) {
    if (ItemRect(slot).contains(point))
      return slot;
  }
  return -1;
}

void CIconBar::Repaint() {
  // Paints the whole bar from the off-screen picture, so there is no flicker.
  repaint();
}

void CIconBar::paintEvent(QPaintEvent*) {
  const qreal ratio = devicePixelRatioF();
  QPixmap picture(size() * ratio);
  picture.setDevicePixelRatio(ratio);
  {
    QPainter painter(&picture);
    painter.setFont(font());
    painter.setBackgroundMode(Qt::TransparentMode);
    FillAndFrame(painter, rect(), kWhite, kBarBorder);
    for (int slot = 0; slot < m_visibleSlots && slot < m_itemCount; ++slot) {
      QColor fill = kWhite, border = kWhite;
      if (slot == m_selected) {
        fill = kSelectedFill;
        border = kSelectedBorder;
      } else if (slot == m_hover) {
        fill = kHoverFill;
        border = kHoverBorder;
      }
      FillAndFrame(painter, ItemRect(slot), fill, border);
      painter.save();
      painter.translate(DrawingOrigin(slot));
      painter.setPen(Qt::black);
      emit IbnDrawItem(slot, &painter);
      painter.restore();
      if (slot == m_selected && hasFocus()) {
        painter.setPen(QPen(Qt::black, 0, Qt::DotLine));
        painter.drawRect(ItemRect(slot).adjusted(2, 2, -3, -3));
      }
    }
  }
  QPainter(this).drawPixmap(0, 0, picture);
}

void CIconBar::Press(const QPoint& point) {
  const int item = SlotAt(point, m_itemCount);
  if (item >= 0) {
    m_pressed = item;
    emit IbnPressed();
  }
  Repaint();
  setFocus(Qt::MouseFocusReason);
}

void CIconBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton)
    Press(event->position().toPoint());
}

void CIconBar::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton)
    return;
  const int item = SlotAt(event->position().toPoint(), m_itemCount);
  if (item == m_pressed && m_pressed >= 0) {
    m_selected = m_pressed;
    emit IbnSelChange(m_selected);
  }
  m_pressed = -1;
  Repaint();
  emit IbnReleased();
}

void CIconBar::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton)
    return;
  Press(event->position().toPoint());
  emit IbnDblClk(m_selected);
}

void CIconBar::mouseMoveEvent(QMouseEvent* event) {
  // While the button is held, Qt keeps sending moves from outside the bar; the hover then
  // clears and with it the pressed look, which comes back when the pointer does.
  m_hover = SlotAt(event->position().toPoint(), m_visibleSlots);
  Repaint();
}

void CIconBar::leaveEvent(QEvent*) {
  m_hover = -1;
  Repaint();
}

void CIconBar::wheelEvent(QWheelEvent* event) {
  // The bar does not scroll, and the wheel is not passed on to the parent either.
  event->accept();
}

void CIconBar::Select(int item) {
  m_selected = item;
  Repaint();
  emit IbnSelChange(m_selected);
}

void CIconBar::keyPressEvent(QKeyEvent* event) {
  if (m_itemCount == 0 || event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
    QWidget::keyPressEvent(event);
    return;
  }
  const int last = m_itemCount - 1;
  const bool inRange = m_selected >= 0 && m_selected <= last;
  switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
      if (!inRange || m_selected > 0)
        Select(inRange ? m_selected - 1 : last);
      break;
    case Qt::Key_Down:
    case Qt::Key_Right:
      if (!inRange || m_selected < last)
        Select(inRange ? m_selected + 1 : 0);
      break;
    case Qt::Key_Home:
      Select(0);
      break;
    case Qt::Key_End:
      Select(last);
      break;
    case Qt::Key_Space:
      if (inRange)
        Select(m_selected);
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

void CIconBar::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  Repaint();
}

void CIconBar::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  Repaint();
}
