#include "app/CSortListModel.h"

#include <algorithm>
#include <utility>

#include "ui/DisplayText.h"

CSortListModel::CSortListModel(QObject* parent) : QAbstractTableModel(parent) {}

CSortListModel::~CSortListModel() = default;

bool CSortListModel::InsertColumn(int index, const QString& title, Qt::Alignment alignment) {
  const int count = GetColumnCount();
  if (index < 0 || index > count || count >= kMaxColumns)
    return false;
  beginInsertColumns(QModelIndex(), index, index);
  m_columns.insert(m_columns.begin() + index, ColumnInfo{title, alignment});
  for (std::vector<std::string>& texts : m_texts) {
    if (static_cast<int>(texts.size()) >= index)
      texts.insert(texts.begin() + index, std::string());
    FitTexts(texts);
  }
  endInsertColumns();
  return true;
}

QString CSortListModel::GetColumnTitle(int column) const {
  if (column < 0 || column >= GetColumnCount())
    return QString();
  return m_columns[static_cast<size_t>(column)].title;
}

Qt::Alignment CSortListModel::GetColumnAlignment(int column) const {
  if (column < 0 || column >= GetColumnCount())
    return Qt::AlignLeft;
  return m_columns[static_cast<size_t>(column)].alignment;
}

void CSortListModel::FitTexts(std::vector<std::string>& texts) const {
  texts.resize(m_columns.size());
}

int32_t CSortListModel::KeepTexts(std::vector<std::string> texts) {
  FitTexts(texts);
  m_texts.push_back(std::move(texts));
  return static_cast<int32_t>(m_texts.size() - 1);
}

int CSortListModel::GetRowCount() const {
  return static_cast<int>(m_filtered ? m_shown.size() : m_rows.size());
}

int CSortListModel::RowIndex(int row) const {
  if (row < 0 || row >= GetRowCount())
    return -1;
  return m_filtered ? m_shown[static_cast<size_t>(row)] : row;
}

std::string_view CSortListModel::CellText(const Row& row, int column, std::string& scratch) const {
  if (column < 0 || column >= GetColumnCount())
    return {};
  if (row.texts != kSourceTexts)
    return m_texts[static_cast<size_t>(row.texts)][static_cast<size_t>(column)];
  if (!m_source)
    return {};
  return m_source(row.itemValue, column, scratch);
}

void CSortListModel::SetTextSource(CellTextSource source) {
  m_source = std::move(source);
  RefreshRows();
}

void CSortListModel::FillRows(int count, std::span<const int32_t> more) {
  beginResetModel();
  m_rows.clear();
  m_texts.clear();
  const size_t records = static_cast<size_t>(std::max(count, 0));
  m_rows.resize(records + more.size());
  for (size_t i = 0; i < records; ++i)
    m_rows[i].itemValue = static_cast<int32_t>(i);
  for (size_t i = 0; i < more.size(); ++i)
    m_rows[records + i].itemValue = more[i];
  ApplyFilter(false);
  endResetModel();
}

void CSortListModel::ReplaceAllRows(std::vector<RowRecord> rows) {
  beginResetModel();
  m_rows.clear();
  m_texts.clear();
  m_rows.reserve(rows.size());
  for (RowRecord& record : rows)
    m_rows.push_back({record.itemValue, KeepTexts(std::move(record.texts))});
  ApplyFilter(false);
  endResetModel();
}

int CSortListModel::InsertRow(int row, const std::vector<std::string>& texts) {
  if (row < 0)
    return -1;
  row = std::min(row, GetRowCount());
  const int at = row < GetRowCount() ? RowIndex(row) : GetTotalRowCount();
  const Row inserted{0, KeepTexts(texts)};
  if (!m_filtered) {
    beginInsertRows(QModelIndex(), row, row);
    m_rows.insert(m_rows.begin() + at, inserted);
    endInsertRows();
    return row;
  }
  // The rows behind the new one move down by one; the shown rows stay where they are.
  std::string scratch;
  const bool shown = RowMatches(inserted, scratch);
  m_rows.insert(m_rows.begin() + at, inserted);
  for (int32_t& index : m_shown) {
    if (index >= at)
      ++index;
  }
  if (!shown)
    return -1;
  beginInsertRows(QModelIndex(), row, row);
  m_shown.insert(m_shown.begin() + row, at);
  endInsertRows();
  return row;
}

bool CSortListModel::DeleteRow(int row) {
  const int at = RowIndex(row);
  if (at < 0)
    return false;
  beginRemoveRows(QModelIndex(), row, row);
  if (const int32_t texts = m_rows[static_cast<size_t>(at)].texts; texts != kSourceTexts)
    std::vector<std::string>().swap(m_texts[static_cast<size_t>(texts)]);
  m_rows.erase(m_rows.begin() + at);
  if (m_filtered) {
    m_shown.erase(m_shown.begin() + row);
    for (auto it = m_shown.begin() + row; it != m_shown.end(); ++it)
      --*it;
  }
  endRemoveRows();
  return true;
}

int CSortListModel::DeleteAllRows() {
  const int count = GetTotalRowCount();
  if (count == 0)
    return 0;
  beginResetModel();
  m_rows.clear();
  m_texts.clear();
  m_shown.clear();
  endResetModel();
  return count;
}

bool CSortListModel::ReplaceRowTexts(int row, const std::vector<std::string>& texts) {
  const int at = RowIndex(row);
  if (at < 0)
    return false;
  Row& replaced = m_rows[static_cast<size_t>(at)];
  if (replaced.texts == kSourceTexts) {
    replaced.texts = KeepTexts(texts);
  } else {
    std::vector<std::string>& own = m_texts[static_cast<size_t>(replaced.texts)];
    own = texts;
    FitTexts(own);
  }
  RefreshRow(row);
  return true;
}

void CSortListModel::RefreshRows() {
  if (GetRowCount() > 0 && !m_columns.empty())
    emit dataChanged(index(0, 0), index(GetRowCount() - 1, GetColumnCount() - 1));
}

void CSortListModel::RefreshRow(int row) {
  if (RowIndex(row) >= 0 && !m_columns.empty())
    emit dataChanged(index(row, 0), index(row, GetColumnCount() - 1));
}

std::optional<RowRecord> CSortListModel::GetRow(int row) const {
  const int at = RowIndex(row);
  if (at < 0)
    return std::nullopt;
  const Row& source = m_rows[static_cast<size_t>(at)];
  RowRecord record;
  record.itemValue = source.itemValue;
  std::string scratch;
  for (int column = 0; column < GetColumnCount(); ++column)
    record.texts.emplace_back(CellText(source, column, scratch));
  return record;
}

std::string CSortListModel::GetRowText(int row, int column) const {
  const int at = RowIndex(row);
  if (at < 0)
    return std::string();
  std::string scratch;
  return std::string(CellText(m_rows[static_cast<size_t>(at)], column, scratch));
}

bool CSortListModel::SetItemValue(int row, int32_t value) {
  const int at = RowIndex(row);
  if (at < 0)
    return false;
  m_rows[static_cast<size_t>(at)].itemValue = value;
  // A row read from the records now shows another one.
  if (m_rows[static_cast<size_t>(at)].texts == kSourceTexts)
    RefreshRow(row);
  return true;
}

int32_t CSortListModel::GetItemValue(int row) const {
  const int at = RowIndex(row);
  return at >= 0 ? m_rows[static_cast<size_t>(at)].itemValue : 0;
}

void CSortListModel::SetRowIcon(const QIcon& icon, const QIcon& negativeIcon) {
  m_rowIcon = icon;
  m_negativeRowIcon = negativeIcon;
  if (GetRowCount() > 0 && !m_columns.empty())
    emit dataChanged(index(0, 0), index(GetRowCount() - 1, 0), {Qt::DecorationRole});
}

int CSortListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : GetRowCount();
}

int CSortListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : GetColumnCount();
}

QVariant CSortListModel::data(const QModelIndex& index, int role) const {
  const int at = index.isValid() ? RowIndex(index.row()) : -1;
  if (at < 0 || index.column() >= GetColumnCount())
    return QVariant();
  const auto column = static_cast<size_t>(index.column());
  switch (role) {
    case Qt::DisplayRole: {
      std::string scratch;
      return DisplayText(CellText(m_rows[static_cast<size_t>(at)], index.column(), scratch));
    }
    case Qt::DecorationRole: {
      if (column != 0)
        return QVariant();
      const bool negative = m_rows[static_cast<size_t>(at)].itemValue < 0;
      const QIcon& icon = negative && !m_negativeRowIcon.isNull() ? m_negativeRowIcon : m_rowIcon;
      return icon.isNull() ? QVariant() : QVariant(icon);
    }
    case Qt::TextAlignmentRole:
      return static_cast<int>((m_columns[column].alignment | Qt::AlignVCenter).toInt());
    default:
      return QVariant();
  }
}

QVariant CSortListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= GetColumnCount())
    return QVariant();
  if (role == Qt::DisplayRole)
    return m_columns[static_cast<size_t>(section)].title;
  if (role == Qt::TextAlignmentRole)
    return static_cast<int>(
        (m_columns[static_cast<size_t>(section)].alignment | Qt::AlignVCenter).toInt());
  return QVariant();
}

Qt::ItemFlags CSortListModel::flags(const QModelIndex& index) const {
  if (!index.isValid())
    return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void CSortListModel::sort(int column, Qt::SortOrder order) {
  SortByColumn(column, order == Qt::AscendingOrder);
}
