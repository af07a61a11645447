#include "app/CSortListModel.h"

#include <locale.h>
#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <array>
#include <bitset>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <utility>

#include "ui/DisplayText.h"

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
  if (cLocale == static_cast<locale_t>(nullptr))
    return std::strtod(text, nullptr);
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

// Dates in the user's locale: its short and long date forms, then its short and long date-time
// forms. The formats are looked up once per sort.
class CDateReader {
 public:
  CDateReader()
      : m_formats{m_locale.dateFormat(QLocale::ShortFormat),
                  m_locale.dateFormat(QLocale::LongFormat),
                  m_locale.dateTimeFormat(QLocale::ShortFormat),
                  m_locale.dateTimeFormat(QLocale::LongFormat)} {
    for (QLocale::FormatType type :
         {QLocale::LongFormat, QLocale::ShortFormat, QLocale::NarrowFormat}) {
      for (int month = 1; month <= 12; ++month) {
        Allow(m_locale.monthName(month, type));
        Allow(m_locale.standaloneMonthName(month, type));
      }
      for (int day = 1; day <= 7; ++day) {
        Allow(m_locale.dayName(day, type));
        Allow(m_locale.standaloneDayName(day, type));
      }
    }
    Allow(m_locale.amText());
    Allow(m_locale.pmText());
    Allow(QStringLiteral("+-"));
    for (size_t i = 0; i < m_formats.size(); ++i) {
      const QString& format = m_formats[i];
      Allow(format);
      // Time zones come as abbreviations, offsets or zone ids.
      if (format.contains(u't')) {
        m_anyLetter = true;
        Allow(QStringLiteral(":/_"));
      }
      m_separators[i] = SeparatorsOf(format);
      m_twoDigitYear[i] =
          format.contains(QStringLiteral("yy")) && !format.contains(QStringLiteral("yyyy"));
    }
  }

  // Milliseconds on a local time line, or nothing when the text is not a date.
  std::optional<qint64> Read(std::string_view text) const {
    // Every form of a date has a numeric day or year.
    if (std::none_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return std::nullopt;
    const QString qtext = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    // The parser is slow and most texts fail it; a character no form of a date can contain
    // (a point in an English file name, a bracket in a title) rules a text out cheaply.
    for (QChar c : qtext) {
      if (!m_allowed[c.unicode()] && !c.isDigit() && !c.isSpace() && !(m_anyLetter && c.isLetter()))
        return std::nullopt;
    }
    for (size_t i = 0; i < m_formats.size(); ++i) {
      if (!HasSeparators(qtext, m_separators[i]))
        continue;
      QDateTime when;
      if (i < 2)
        when = QDateTime(m_locale.toDate(qtext, m_formats[i]), QTime(0, 0));
      else
        when = m_locale.toDateTime(qtext, m_formats[i]);
      if (!when.isValid())
        continue;
      if (when.timeSpec() != Qt::LocalTime)
        when = when.toLocalTime();
      QDate day = when.date();
      // Qt puts two-digit years in the 1900s; read them as the user's calendar does, 00 to 29
      // as 2000 to 2029, so that "1/1/05" sorts after "1/1/99".
      if (m_twoDigitYear[i] && day.year() >= 1900 && day.year() < 1930)
        day = day.addYears(100);
      return Milliseconds(day, when.time());
    }
    return std::nullopt;
  }

 private:
  // A separator a format puts between its fields, with how often it appears. The parser matches
  // them exactly, so a text lacking one cannot be read with that format. All white space counts
  // as one kind.
  struct Separator {
    QChar character;
    int count;
  };
  static constexpr QChar kAnySpace = QChar(0x20);

  static std::vector<Separator> SeparatorsOf(const QString& format) {
    std::vector<Separator> separators;
    auto add = [&](QChar c) {
      if (c.isLetterOrNumber())
        return;
      if (c.isSpace())
        c = kAnySpace;
      for (Separator& known : separators) {
        if (known.character == c) {
          ++known.count;
          return;
        }
      }
      separators.push_back({c, 1});
    };
    for (qsizetype i = 0; i < format.size(); ++i) {
      if (format[i] != u'\'') {
        add(format[i]);
        continue;
      }
      // Quoted text is literal; a doubled quote stands for one quote.
      for (++i; i < format.size(); ++i) {
        if (format[i] == u'\'') {
          if (i + 1 < format.size() && format[i + 1] == u'\'') {
            add(format[++i]);
            continue;
          }
          break;
        }
        add(format[i]);
      }
    }
    return separators;
  }

  static bool HasSeparators(const QString& text, const std::vector<Separator>& separators) {
    for (const Separator& separator : separators) {
      int found = 0;
      for (QChar c : text) {
        if (c == separator.character || (separator.character == kAnySpace && c.isSpace()))
          ++found;
      }
      if (found < separator.count)
        return false;
    }
    return true;
  }

  // Month and day names match in any letter case.
  void Allow(const QString& characters) {
    for (QChar c : characters) {
      m_allowed.set(c.unicode());
      m_allowed.set(c.toLower().unicode());
      m_allowed.set(c.toUpper().unicode());
    }
  }

  static qint64 Milliseconds(QDate day, QTime time) {
    return day.toJulianDay() * qint64{86400000} + time.msecsSinceStartOfDay();
  }

  QLocale m_locale;
  std::array<QString, 4> m_formats;
  std::array<std::vector<Separator>, 4> m_separators;
  std::array<bool, 4> m_twoDigitYear{};
  std::bitset<65536> m_allowed;
  bool m_anyLetter = false;
};

// What a sort needs of one cell, worked out once per sort rather than once per comparison. The
// date is read only when a comparison first asks for it, since most columns never need it.
struct CellKey {
  // Kept small and trivial: the sort moves the keys around many times.
  const char* text;    // trimmed, inside the row's own cell
  uint32_t size : 29;  // cells beyond 512 MiB compare by their start
  uint32_t whole : 1;
  uint32_t dateRead : 1;
  uint32_t isDate : 1;
  int32_t row;
  // Sixteen bytes of the text from where the column's texts start to differ, big-endian and
  // padded with zeros: most byte-wise comparisons end here without touching the text itself,
  // which matters once the rows outgrow the caches.
  uint64_t high;
  uint64_t low;
  double number;
  qint64 date;

  std::string_view Text() const { return std::string_view(text, size); }
  bool Empty() const { return size == 0; }
};

// What every comparison of one sort shares.
struct SortContext {
  CDateReader dates;
  // Length of the start that all non-empty texts of the column have in common (a folder, say).
  size_t common = 0;
};

CellKey MakeKey(const std::string& cell, int row) {
  const std::string_view trimmed = TrimmedCell(cell);
  CellKey key{};
  key.text = trimmed.data();
  key.size = static_cast<uint32_t>(std::min<size_t>(trimmed.size(), (size_t{1} << 29) - 1));
  key.row = row;
  if (!key.Empty()) {
    key.whole = CSortListModel::IsWholeNumber(trimmed);
    // The trimmed text starts inside the NUL-terminated cell, and strtod stops at the trailing
    // white space, so the cell itself can be handed over.
    key.number = LeadingNumber(key.text);
  }
  return key;
}

size_t CommonStart(std::span<const CellKey> keys) {
  const CellKey* first = nullptr;
  size_t common = 0;
  for (const CellKey& key : keys) {
    if (key.Empty())
      continue;
    if (first == nullptr) {
      first = &key;
      common = key.size;
      continue;
    }
    common = std::min<size_t>(common, key.size);
    size_t same = 0;
    while (same < common && key.text[same] == first->text[same])
      ++same;
    common = same;
  }
  return common;
}

void SetPrefixes(std::span<CellKey> keys, size_t common) {
  for (CellKey& key : keys) {
    if (key.Empty())
      continue;
    for (size_t i = common; i < common + 16; ++i) {
      uint64_t& half = i < common + 8 ? key.high : key.low;
      half <<= 8;
      if (i < key.size)
        half |= static_cast<unsigned char>(key.text[i]);
    }
  }
}

bool IsDate(CellKey& key, const CDateReader& dates) {
  if (!key.dateRead) {
    const std::optional<qint64> when = dates.Read(key.Text());
    key.dateRead = 1;
    key.isDate = when ? 1 : 0;
    key.date = when.value_or(0);
  }
  return key.isDate;
}

int CompareText(const CellKey& a, const CellKey& b, size_t common) {
  if (a.Empty() || b.Empty())
    return CompareValues(a.size, b.size);
  // Both begin with the common start. The texts hold no NUL byte, so equal prefixes mean equal
  // texts unless both go on past them.
  if (a.high != b.high)
    return CompareValues(a.high, b.high);
  if (a.low != b.low)
    return CompareValues(a.low, b.low);
  const size_t seen = common + 16;
  if (a.size <= seen || b.size <= seen)
    return CompareValues(a.size, b.size);
  return CompareBytes(a.Text().substr(seen), b.Text().substr(seen));
}

// Only A's text chooses the kind of comparison, so this is no consistent order over a mixed
// column: the sort below must stay safe with it.
int CompareKeys(CellKey& a, CellKey& b, const SortContext& context) {
  if (a.Empty() || b.Empty())
    return CompareText(a, b, context.common);
  if (a.whole)
    return CompareValues(a.number, b.number);
  if (IsDate(a, context.dates) && IsDate(b, context.dates))
    return CompareValues(a.date, b.date);
  return CompareText(a, b, context.common);
}

// A bottom-up merge sort; returns whichever of the two arrays ends up holding the result.
// Unlike quicksort-style sorts it never relies on the comparison being a consistent order to
// stay inside the arrays: every step is bounded by the run lengths. Equal keys keep their order.
CellKey* MergeSortKeys(CellKey* keys, CellKey* scratch, size_t count, bool ascending,
                       const SortContext& context) {
  CellKey* from = keys;
  CellKey* to = scratch;
  // True when `right` must go before `left`: the pair's value for (left, right) is positive.
  auto rightFirst = [&](CellKey& left, CellKey& right) {
    return (ascending ? CompareKeys(left, right, context) : CompareKeys(right, left, context)) > 0;
  };
  for (size_t width = 1; width < count; width *= 2) {
    for (size_t low = 0; low < count; low += 2 * width) {
      const size_t mid = std::min(low + width, count);
      const size_t high = std::min(low + 2 * width, count);
      size_t i = low;
      size_t j = mid;
      size_t out = low;
      while (i < mid && j < high) {
        if (rightFirst(from[i], from[j]))
          to[out++] = from[j++];
        else
          to[out++] = from[i++];
      }
      while (i < mid)
        to[out++] = from[i++];
      while (j < high)
        to[out++] = from[j++];
    }
    std::swap(from, to);
  }
  return from;
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
  beginRemoveRows(QModelIndex(), 0, count - 1);
  m_rows.clear();
  endRemoveRows();
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
  std::vector<CellKey> keys = {MakeKey(a, 0), MakeKey(b, 1)};
  SortContext context;
  context.common = CommonStart(keys);
  SetPrefixes(keys, context.common);
  return CompareKeys(keys[0], keys[1], context);
}

void CSortListModel::SortByColumn(int column, bool ascending) {
  if (column < 0 || column >= GetColumnCount())
    return;
  const int count = GetRowCount();

  const auto size = static_cast<size_t>(count);
  // Not initialised: every key is written before it is read.
  const auto keys = std::make_unique_for_overwrite<CellKey[]>(size);
  const auto scratch = std::make_unique_for_overwrite<CellKey[]>(size);
  for (size_t row = 0; row < size; ++row)
    keys[row] = MakeKey(m_rows[row].texts[static_cast<size_t>(column)], static_cast<int>(row));
  SortContext context;
  context.common = CommonStart({keys.get(), size});
  SetPrefixes({keys.get(), size}, context.common);
  const CellKey* sorted = MergeSortKeys(keys.get(), scratch.get(), size, ascending, context);
  // order[p] is the row that goes to position p.
  std::vector<size_t> order(size);
  for (size_t position = 0; position < size; ++position)
    order[position] = static_cast<size_t>(sorted[position].row);

  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  if (!before.isEmpty()) {
    std::vector<int> newRowOf(size);
    for (size_t position = 0; position < size; ++position)
      newRowOf[order[position]] = static_cast<int>(position);
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
      after.append(index(newRowOf[static_cast<size_t>(old.row())], old.column()));
    changePersistentIndexList(before, after);
  }
  // Move the rows along the cycles of the permutation, marking each place done as it is filled.
  for (size_t start = 0; start < size; ++start) {
    if (order[start] == start)
      continue;
    RowRecord first = std::move(m_rows[start]);
    size_t place = start;
    for (;;) {
      const size_t source = order[place];
      order[place] = place;
      if (source == start) {
        m_rows[place] = std::move(first);
        break;
      }
      m_rows[place] = std::move(m_rows[source]);
      place = source;
    }
  }
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
      return DisplayText(m_rows[static_cast<size_t>(index.row())].texts[column]);
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
