#include "app/CSortListModel.h"

#include <locale.h>
#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <utility>

namespace {

bool IsSpaceByte(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The cell as the comparison sees it: up to the first NUL byte (the texts are C strings to the
// byte-wise comparison), white space trimmed at both ends.
std::string_view TrimmedCell(const std::string& text) {
  std::string_view view(text.c_str());
  while (!view.empty() && IsSpaceByte(view.front()))
    view.remove_prefix(1);
  while (!view.empty() && IsSpaceByte(view.back()))
    view.remove_suffix(1);
  return view;
}

// strtod in the "C" locale: Qt switches the process to the user's locale, and a decimal comma
// there must not change how a list sorts.
double LeadingNumber(const char* text) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return strtod_l(text, nullptr, cLocale);
}

int Sign(int value) {
  return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

int CompareBytes(std::string_view a, std::string_view b) {
  return Sign(a.compare(b));
}

template <typename T>
int CompareValues(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// Dates in the user's locale: its short and long date-time forms, then its short and long date
// forms. The formats are looked up once per sort.
class CDateReader {
 public:
  CDateReader()
      : m_formats{m_locale.dateTimeFormat(QLocale::ShortFormat),
                  m_locale.dateTimeFormat(QLocale::LongFormat),
                  m_locale.dateFormat(QLocale::ShortFormat),
                  m_locale.dateFormat(QLocale::LongFormat)} {}

  // Milliseconds on a local time line, or nothing when the text is not a date.
  std::optional<qint64> Read(std::string_view text) const {
    // Every form of a date has a numeric day or year; skipping texts without a digit spares
    // the parser most names.
    if (std::none_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return std::nullopt;
    const QString qtext = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    for (int i = 0; i < 2; ++i) {
      QDateTime when = m_locale.toDateTime(qtext, m_formats[i]);
      if (when.isValid()) {
        if (when.timeSpec() != Qt::LocalTime)
          when = when.toLocalTime();
        return Milliseconds(when.date(), when.time());
      }
    }
    for (int i = 2; i < 4; ++i) {
      const QDate day = m_locale.toDate(qtext, m_formats[i]);
      if (day.isValid())
        return Milliseconds(day, QTime(0, 0));
    }
    return std::nullopt;
  }

 private:
  static qint64 Milliseconds(QDate day, QTime time) {
    return day.toJulianDay() * qint64{86400000} + time.msecsSinceStartOfDay();
  }

  QLocale m_locale;
  std::array<QString, 4> m_formats;
};

// What a sort needs of one cell, worked out once per sort rather than once per comparison. The
// date is read only when a comparison first asks for it, since most columns never need it.
struct CellKey {
  std::string_view text;
  double number = 0;
  qint64 date = 0;
  int row = 0;
  bool whole = false;
  signed char dateState = 0;  // 0 not read yet, 1 a date, -1 not a date
};

CellKey MakeKey(const std::string& cell, int row) {
  CellKey key;
  key.text = TrimmedCell(cell);
  key.row = row;
  if (!key.text.empty()) {
    key.whole = CSortListModel::IsWholeNumber(key.text);
    // The trimmed text starts inside the NUL-terminated cell, and strtod stops at the trailing
    // white space, so the cell itself can be handed over.
    key.number = LeadingNumber(key.text.data());
  }
  return key;
}

bool IsDate(CellKey& key, const CDateReader& dates) {
  if (key.dateState == 0) {
    const std::optional<qint64> when = dates.Read(key.text);
    key.dateState = when ? 1 : -1;
    key.date = when.value_or(0);
  }
  return key.dateState > 0;
}

// Only A's text chooses the kind of comparison, so this is no consistent order over a mixed
// column: the sort below must stay safe with it.
int CompareKeys(CellKey& a, CellKey& b, const CDateReader& dates) {
  if (a.text.empty() || b.text.empty())
    return CompareBytes(a.text, b.text);
  if (a.whole)
    return CompareValues(a.number, b.number);
  if (IsDate(a, dates) && IsDate(b, dates))
    return CompareValues(a.date, b.date);
  return CompareBytes(a.text, b.text);
}

// A bottom-up merge sort. Unlike quicksort-style sorts it never relies on the comparison being
// a consistent order to stay inside the array: every step is bounded by the run lengths. Equal
// keys keep their order.
void MergeSortKeys(std::vector<CellKey>& keys, bool ascending, const CDateReader& dates) {
  const size_t count = keys.size();
  std::vector<CellKey> buffer(count);
  std::vector<CellKey>* from = &keys;
  std::vector<CellKey>* to = &buffer;
  // True when `right` must go before `left`: the pair's value for (left, right) is positive.
  auto rightFirst = [&](CellKey& left, CellKey& right) {
    return (ascending ? CompareKeys(left, right, dates) : CompareKeys(right, left, dates)) > 0;
  };
  for (size_t width = 1; width < count; width *= 2) {
    for (size_t low = 0; low < count; low += 2 * width) {
      const size_t mid = std::min(low + width, count);
      const size_t high = std::min(low + 2 * width, count);
      size_t i = low;
      size_t j = mid;
      size_t out = low;
      while (i < mid && j < high) {
        if (rightFirst((*from)[i], (*from)[j]))
          (*to)[out++] = (*from)[j++];
        else
          (*to)[out++] = (*from)[i++];
      }
      while (i < mid)
        (*to)[out++] = (*from)[i++];
      while (j < high)
        (*to)[out++] = (*from)[j++];
    }
    std::swap(from, to);
  }
  if (from != &keys)
    keys.swap(buffer);
}

}  // namespace

CSortListModel::CSortListModel(QObject* parent) : QAbstractTableModel(parent) {}

bool CSortListModel::InsertColumn(int index, const QString& title, Qt::Alignment alignment) {
  const int count = GetColumnCount();
  if (index < 0 || index > count || count >= kMaxColumns)
    return false;
  beginInsertColumns(QModelIndex(), index, index);
  m_columns.insert(m_columns.begin() + index, ColumnInfo{title, alignment});
  for (RowRecord& row : m_rows) {
    if (static_cast<int>(row.texts.size()) >= index)
      row.texts.insert(row.texts.begin() + index, std::string());
    FitTexts(row.texts);
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

int CSortListModel::InsertRow(int row, const std::vector<std::string>& texts) {
  if (row < 0)
    return -1;
  row = std::min(row, GetRowCount());
  RowRecord record;
  record.texts = texts;
  FitTexts(record.texts);
  beginInsertRows(QModelIndex(), row, row);
  m_rows.insert(m_rows.begin() + row, std::move(record));
  endInsertRows();
  return row;
}

bool CSortListModel::DeleteRow(int row) {
  if (row < 0 || row >= GetRowCount())
    return false;
  beginRemoveRows(QModelIndex(), row, row);
  m_rows.erase(m_rows.begin() + row);
  endRemoveRows();
  return true;
}

int CSortListModel::DeleteAllRows() {
  const int count = GetRowCount();
  if (count == 0)
    return 0;
  beginResetModel();
  m_rows.clear();
  endResetModel();
  return count;
}

void CSortListModel::ReplaceAllRows(std::vector<RowRecord> rows) {
  for (RowRecord& row : rows)
    FitTexts(row.texts);
  beginResetModel();
  m_rows = std::move(rows);
  endResetModel();
}

bool CSortListModel::ReplaceRowTexts(int row, const std::vector<std::string>& texts) {
  if (row < 0 || row >= GetRowCount())
    return false;
  std::vector<std::string>& cells = m_rows[static_cast<size_t>(row)].texts;
  cells = texts;
  FitTexts(cells);
  if (!m_columns.empty())
    emit dataChanged(index(row, 0), index(row, GetColumnCount() - 1), {Qt::DisplayRole});
  return true;
}

const RowRecord* CSortListModel::GetRow(int row) const {
  if (row < 0 || row >= GetRowCount())
    return nullptr;
  return &m_rows[static_cast<size_t>(row)];
}

std::string CSortListModel::GetRowText(int row, int column) const {
  const RowRecord* record = GetRow(row);
  if (record == nullptr || column < 0 || column >= static_cast<int>(record->texts.size()))
    return std::string();
  return record->texts[static_cast<size_t>(column)];
}

bool CSortListModel::SetItemValue(int row, int32_t value) {
  if (row < 0 || row >= GetRowCount())
    return false;
  m_rows[static_cast<size_t>(row)].itemValue = value;
  return true;
}

int32_t CSortListModel::GetItemValue(int row) const {
  const RowRecord* record = GetRow(row);
  return record != nullptr ? record->itemValue : 0;
}

void CSortListModel::SetRowIcon(const QIcon& icon) {
  m_rowIcon = icon;
  if (!m_rows.empty() && !m_columns.empty())
    emit dataChanged(index(0, 0), index(GetRowCount() - 1, 0), {Qt::DecorationRole});
}

bool CSortListModel::IsWholeNumber(std::string_view text) {
  if (text.empty())
    return false;
  if ((text.front() == '+' || text.front() == '-') && text.size() > 1)
    text.remove_prefix(1);
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int CSortListModel::CompareCellTexts(const std::string& a, const std::string& b) {
  const CDateReader dates;
  CellKey keyA = MakeKey(a, 0);
  CellKey keyB = MakeKey(b, 1);
  return CompareKeys(keyA, keyB, dates);
}

void CSortListModel::SortByColumn(int column, bool ascending) {
  if (column < 0 || column >= GetColumnCount())
    return;
  const int count = GetRowCount();

  std::vector<CellKey> keys;
  keys.reserve(static_cast<size_t>(count));
  for (int row = 0; row < count; ++row)
    keys.push_back(
        MakeKey(m_rows[static_cast<size_t>(row)].texts[static_cast<size_t>(column)], row));
  MergeSortKeys(keys, ascending, CDateReader());

  // The keys point into the rows' texts: take the order out of them before moving any row.
  std::vector<int> newRowOf(static_cast<size_t>(count));
  std::vector<size_t> order(static_cast<size_t>(count));
  for (int position = 0; position < count; ++position) {
    order[static_cast<size_t>(position)] =
        static_cast<size_t>(keys[static_cast<size_t>(position)].row);
    newRowOf[static_cast<size_t>(keys[static_cast<size_t>(position)].row)] = position;
  }
  keys.clear();

  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<RowRecord> sorted;
  sorted.reserve(m_rows.size());
  for (size_t oldRow : order)
    sorted.push_back(std::move(m_rows[oldRow]));
  m_rows = std::move(sorted);

  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& old : before)
    after.append(index(newRowOf[static_cast<size_t>(old.row())], old.column()));
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int CSortListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : GetRowCount();
}

int CSortListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : GetColumnCount();
}

QVariant CSortListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= GetRowCount() || index.column() >= GetColumnCount())
    return QVariant();
  const auto column = static_cast<size_t>(index.column());
  switch (role) {
    case Qt::DisplayRole: {
      const std::string& text = m_rows[static_cast<size_t>(index.row())].texts[column];
      return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    case Qt::DecorationRole:
      if (column == 0 && !m_rowIcon.isNull())
        return m_rowIcon;
      return QVariant();
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
