#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>

class QPainter;

/// A row or column of equally sized items with a hover highlight, a pressed look and one
/// selected item. The bar paints the item backgrounds and frames; what is inside an item is drawn
/// by whoever listens to IbnDrawItem, into the bar's own off-screen picture. The signals stand
/// for the bar's five notifications and come in the same orders. Like a list, the bar takes the
/// keyboard focus: the arrow keys, Home and End select an item, Space selects the selected item
/// again.
class CIconBar final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMaxSlots = 20;
  static constexpr int kGap = 2;

  explicit CIconBar(QWidget* parent);

  /// Places the bar at (x, y) of its parent, lays out `visibleSlots` slots of `itemWidth` by
  /// `itemHeight` pixels for `itemCount` items, and shows it. The bar does not scroll, so
  /// `itemCount` must not exceed `visibleSlots` (at most kMaxSlots).
  void Create(int x, int y, int itemWidth, int itemHeight, int itemCount, int visibleSlots,
              unsigned controlId);
  void SetHorizontal(bool horizontal);
  void SetSelection(int index);
  int GetSelection() const { return m_selected; }

  unsigned ControlId() const { return m_controlId; }
  int ItemCount() const { return m_itemCount; }
  int VisibleSlots() const { return m_visibleSlots; }
  /// The rectangle of a slot in the bar's own coordinates; empty outside the slots.
  QRect ItemRect(int slot) const;
  int HoverSlot() const { return m_hover; }
  int PressedItem() const { return m_pressed; }
  /// Where the content of a slot is drawn from, the pressed look included.
  QPoint DrawingOrigin(int slot) const;

 signals:
  /// While painting, once per item: draw item `index` with `painter`, whose origin is already
  /// moved to the item. The painter carries the bar's font; the pen is black.
  void IbnDrawItem(int index, QPainter* painter);
  /// The left button went down on an item.
  void IbnPressed();
  /// The left button came up (always, after any selection change).
  void IbnReleased();
  /// The button came up over the item it went down on; that item is now selected.
  void IbnSelChange(int index);
  /// A double click, after the press it also counts as.
  void IbnDblClk(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void Layout();
  /// The slot among the first `count` slots whose rectangle holds the point, or -1.
  int SlotAt(const QPoint& point, int count) const;
  void Press(const QPoint& point);
  void Select(int item);
  void Repaint();

  unsigned m_controlId = 0;
  QPoint m_position;
  int m_itemWidth = 0;
  int m_itemHeight = 0;
  int m_itemCount = 0;
  int m_visibleSlots = 0;
  int m_selected = 0;
  int m_hover = -1;
  int m_pressed = -1;
  bool m_horizontal = false;
};
