// How the list orders its rows and which of them a filter shows.
#include <algorithm>
#include <utility>

#include "app/CSortListModel.h"
#include "app/CellOrder.h"

bool CSortListModel::IsWholeNumber(std::string_view text) {
  return ::IsWholeNumber(text);
}

int CSortListModel::CompareCellTexts(const std::string& a, const std::string& b) {
  return CompareCells(a, b);
}

void CSortListModel::SortByColumn(int column, bool ascending) {
  if (column < 0 || column >= GetColumnCount())
    return;
  const auto total = static_cast<size_t>(GetTotalRowCount());
  // order[p] is the row that goes to position p.
  std::vector<int32_t> order = SortCells(
      total,
      [this, column](size_t i, std::string& scratch) {
        return CellText(m_rows[i], column, scratch);
      },
      ascending);

  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<int> newIndexOfRow(total);
  for (size_t position = 0; position < total; ++position)
    newIndexOfRow[static_cast<size_t>(order[position])] = static_cast<int>(position);
  const QModelIndexList before = persistentIndexList();
  std::vector<int> rowsBefore;
  for (const QModelIndex& old : before)
    rowsBefore.push_back(RowIndex(old.row()));
  if (m_filtered) {
    for (int32_t& index : m_shown)
      index = newIndexOfRow[static_cast<size_t>(index)];
    std::sort(m_shown.begin(), m_shown.end());
  }
  // Move the rows along the cycles of the permutation, marking each place done as it is filled.
  for (size_t start = 0; start < total; ++start) {
    if (static_cast<size_t>(order[start]) == start)
      continue;
    Row first = std::move(m_rows[start]);
    size_t place = start;
    for (;;) {
      const auto source = static_cast<size_t>(order[place]);
      order[place] = static_cast<int32_t>(place);
      if (source == start) {
        m_rows[place] = std::move(first);
        break;
      }
      m_rows[place] = std::move(m_rows[source]);
      place = source;
    }
  }
  for (int& row : rowsBefore) {
    if (row >= 0)
      row = newIndexOfRow[static_cast<size_t>(row)];
  }
  MovePersistentIndices(before, rowsBefore);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CSortListModel::SetFilter(const QString& text, std::vector<int> columns) {
  CTextFilter filter(text);
  const bool sameColumns = columns == m_filterColumns;
  if (sameColumns && filter.Text() == m_filter.Text())
    return;
  const bool narrower = sameColumns && m_filtered && m_filter.IsNarrowedBy(filter);
  emit layoutAboutToBeChanged();
  const QModelIndexList before = persistentIndexList();
  std::vector<int> rowsBefore;
  for (const QModelIndex& old : before)
    rowsBefore.push_back(RowIndex(old.row()));
  m_filter = std::move(filter);
  m_filterColumns = std::move(columns);
  ApplyFilter(narrower);
  MovePersistentIndices(before, rowsBefore);
  emit layoutChanged();
}

bool CSortListModel::RowMatches(const Row& row, std::string& scratch) const {
  return std::any_of(m_filterColumns.begin(), m_filterColumns.end(),
                     [&](int column) { return m_filter.Matches(CellText(row, column, scratch)); });
}

void CSortListModel::ApplyFilter(bool narrower) {
  if (m_filter.IsEmpty()) {
    m_filtered = false;
    std::vector<int32_t>().swap(m_shown);
    return;
  }
  std::string scratch;
  if (narrower) {
    std::erase_if(m_shown, [&](int32_t index) {
      return !RowMatches(m_rows[static_cast<size_t>(index)], scratch);
    });
  } else {
    m_shown.clear();
    for (size_t i = 0; i < m_rows.size(); ++i) {
      if (RowMatches(m_rows[i], scratch))
        m_shown.push_back(static_cast<int32_t>(i));
    }
  }
  m_filtered = true;
}

void CSortListModel::MovePersistentIndices(const QModelIndexList& before,
                                           const std::vector<int>& rowsAfter) {
  if (before.isEmpty())
    return;
  QModelIndexList after;
  after.reserve(before.size());
  for (qsizetype i = 0; i < before.size(); ++i) {
    const int at = rowsAfter[static_cast<size_t>(i)];
    int row = -1;
    if (at >= 0 && !m_filtered) {
      row = at;
    } else if (at >= 0) {
      const auto found = std::lower_bound(m_shown.begin(), m_shown.end(), at);
      if (found != m_shown.end() && *found == at)
        row = static_cast<int>(found - m_shown.begin());
    }
    after.append(row < 0 ? QModelIndex() : index(row, before[i].column()));
  }
  changePersistentIndexList(before, after);
}
