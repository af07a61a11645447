// How the list sizes its columns: to their contents within its width, the last one stretching.
#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>
#include <numeric>

#include "app/CSortHeaderCtrl.h"
#include "app/CSortListCtrl.h"

namespace {

// Rows measured for a column's contents: those in view and about as many again past them. Each
// costs the laying out of its texts, which with two hundred was a sixth of the window's start
// with a hundred thousand patches.
constexpr int kMeasuredRows = 25;

}  // namespace

void CSortListCtrl::SetFitColumns(bool on) {
  m_fitColumns = on;
}

int CSortListCtrl::ColumnRoom() const {
  if (isVisible())
    return viewport()->width();
  // Before the list is first shown its viewport has not been laid out, and its scroll bar is not
  // there yet, though the rows may need it: leave it its room.
  int room = contentsRect().width();
  if (GetRowCount() > 0 && verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff) {
    const int rowHeight = std::max(sizeHintForRow(0), 1);
    const int rowsHeight = contentsRect().height() - m_header->sizeHint().height();
    if (static_cast<long long>(GetRowCount()) * rowHeight > rowsHeight)
      room -= verticalScrollBar()->sizeHint().width();
  }
  return std::max(room, 0);
}

void CSortListCtrl::FitColumnsToContents() {
  // Fitted once shown, when the widths the style and the screen give are known: measuring the
  // contents before would be work thrown away.
  m_fitWhenShown = !isVisible();
  if (m_fitWhenShown)
    return;
  const std::vector<int> shown = VisibleColumns();
  if (shown.empty())
    return;
  m_neededWidths.assign(static_cast<size_t>(GetColumnCount()), 0);
  const int precision = m_header->resizeContentsPrecision();
  m_header->setResizeContentsPrecision(kMeasuredRows);
  std::vector<std::pair<int, int>> needs;  // width, column
  for (int column : shown) {
    const int need = std::max(m_header->sectionSizeHint(column),
                              GetRowCount() > 0 ? sizeHintForColumn(column) : 0);
    m_neededWidths[static_cast<size_t>(column)] = need;
    needs.emplace_back(need, column);
  }
  m_header->setResizeContentsPrecision(precision);

  // Water-filling: the narrowest first, each taking what it needs or an even share of what is
  // left, whichever is less.
  std::sort(needs.begin(), needs.end());
  int room = ColumnRoom();
  int left = static_cast<int>(needs.size());
  m_sizingColumns = true;
  for (const auto& [need, column] : needs) {
    const int width = std::max(1, std::min(need, room / left));
    m_header->resizeSection(column, width);
    room -= width;
    --left;
  }
  m_sizingColumns = false;
  StretchLastColumn();
}

void CSortListCtrl::StretchLastColumn() {
  const std::vector<int> shown = VisibleColumns();
  if (shown.empty() || !m_fitColumns)
    return;
  const int last = shown.back();
  int others = 0;
  for (int column : shown)
    others += column == last ? 0 : m_header->sectionSize(column);
  const size_t index = static_cast<size_t>(last);
  const int need = index < m_neededWidths.size() ? m_neededWidths[index] : 0;
  const int width =
      std::max({ColumnRoom() - others, std::min(need, m_header->sectionSize(last)), 1});
  if (width == m_header->sectionSize(last))
    return;
  m_sizingColumns = true;
  m_header->resizeSection(last, width);
  m_sizingColumns = false;
}

void CSortListCtrl::updateGeometries() {
  QTreeView::updateGeometries();
  if (!m_fitColumns || m_sizingColumns)
    return;
  if (m_fitWhenShown && isVisible() && !m_userSizedColumns)
    FitColumnsToContents();
  else
    StretchLastColumn();  // the scroll bar coming or going changes the room
}
