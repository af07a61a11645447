#include "app/CSortHeaderCtrl.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>

namespace {

// Menu labels are cut where the heading texts of the list were cut.
constexpr int kMaxMenuLabel = 255;

}  // namespace

CSortHeaderCtrl::CSortHeaderCtrl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
  setSectionsClickable(true);
  setSectionsMovable(false);
  setSortIndicatorShown(false);
  setStretchLastSection(false);
  setHighlightSections(false);
  // Widths below Qt's usual minimum are part of the list's behaviour: a column of width 1, and
  // width 0 for a hidden one.
  setMinimumSectionSize(0);
  setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void CSortHeaderCtrl::ShowColumn(int column, bool show) {
  if (column < 0 || column >= count() || column >= kSavedWidthCount)
    return;
  int& saved = m_savedWidths[static_cast<size_t>(column)];
  if (show) {
    resizeSection(column, saved);
  } else {
    saved = sectionSize(column);
    resizeSection(column, 0);
  }
  viewport()->update();
}

bool CSortHeaderCtrl::IsColumnVisible(int column) const {
  return column >= 0 && column < count() && sectionSize(column) > 0;
}

void CSortHeaderCtrl::SetSortColumn(int column, bool ascending) {
  m_sortColumn = column;
  m_ascending = ascending;
  // The arrow shows the column the rows are sorted by and which way (the view's own sorting
  // stays off, so setting it sorts nothing).
  if (column >= 0 && column < count()) {
    setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    setSortIndicatorShown(true);
    updateSection(column);
  }
}

bool CSortHeaderCtrl::GetClickDirection(int column) const {
  return column != m_sortColumn || !m_ascending;
}

std::unique_ptr<QMenu> CSortHeaderCtrl::CreateColumnMenu(QWidget* parent) const {
  auto menu = std::make_unique<QMenu>(parent);
  for (int column = 0; column < count(); ++column) {
    const QString title =
        model() != nullptr ? model()->headerData(column, Qt::Horizontal).toString() : QString();
    QAction* item = menu->addAction(title.left(kMaxMenuLabel));
    item->setCheckable(true);
    item->setChecked(IsColumnVisible(column));
    item->setData(column + 1);
  }
  return menu;
}

void CSortHeaderCtrl::ChooseColumnMenuItem(int id) {
  const int column = id - 1;
  if (column < 0 || column >= count())
    return;
  ShowColumn(column, !IsColumnVisible(column));
}

void CSortHeaderCtrl::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::RightButton) {
    QHeaderView::mousePressEvent(event);
    return;
  }
  const std::unique_ptr<QMenu> menu = CreateColumnMenu(this);
  const QAction* chosen = menu->exec(event->globalPosition().toPoint());
  if (chosen == nullptr)
    return;
  ChooseColumnMenuItem(chosen->data().toInt());
  QHeaderView::mousePressEvent(event);
}
