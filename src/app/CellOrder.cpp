#include "app/CellOrder.h"

#include <locale.h>
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>

#include "app/CDateReader.h"

namespace {

bool IsSpaceByte(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The cell as the comparison sees it: up to the first NUL byte (the texts are C strings to the
// byte-wise comparison), white space trimmed at both ends.
std::string_view TrimmedCell(std::string_view view) {
  view = view.substr(0, view.find('\0'));
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

template <typename T>
int CompareValues(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// Numbers and times as unsigned values in the same order, so that a column of them sorts by
// its keys alone.
uint64_t OrderedBits(double value) {
  const auto bits = std::bit_cast<uint64_t>(value + 0.0);  // -0 is 0
  return (bits >> 63) != 0 ? ~bits : bits | (uint64_t{1} << 63);
}

uint64_t OrderedBits(int64_t value) {
  return static_cast<uint64_t>(value) ^ (uint64_t{1} << 63);
}

// What a sort moves around for one cell: kept small, as the sort moves the keys many times.
struct SortKey {
  // Sixteen bytes of the order: for text, the bytes from where the column's texts start to
  // differ, big-endian and padded with zeros, so most comparisons end here without touching
  // the text itself; for a number or a date, its value.
  uint64_t high;
  uint64_t low;
  const char* text;  // trimmed and NUL-terminated
  uint32_t size;     // 0 for an empty cell
  int32_t index;
};

// What a column of only some numbers or dates needs besides the keys.
struct CellFacts {
  double number;
  int64_t date;
  bool whole;
  bool isDate;
};

// Whether a column needs the full rules or a simpler order the keys carry.
enum class ColumnKind { Text, Number, Date, Mixed };

struct SortData {
  std::string arena;  // every trimmed text, each followed by a NUL
  std::vector<SortKey> keys;
  std::vector<CellFacts> facts;
  ColumnKind kind = ColumnKind::Mixed;
  size_t common = 0;  // length of the start all non-empty texts share (a folder, say)
};

SortData ReadCells(size_t count, const CellTextReader& cellText) {
  SortData data;
  data.keys.resize(count);
  data.facts.resize(count);
  std::vector<size_t> offsets(count);
  std::string scratch;
  for (size_t i = 0; i < count; ++i) {
    const std::string_view text = TrimmedCell(cellText(i, scratch));
    offsets[i] = data.arena.size();
    data.arena.append(text);
    data.arena.push_back('\0');
    data.keys[i] = {0, 0, nullptr, static_cast<uint32_t>(std::min<size_t>(text.size(), UINT32_MAX)),
                    static_cast<int32_t>(i)};
  }
  for (size_t i = 0; i < count; ++i) {
    SortKey& key = data.keys[i];
    key.text = data.arena.data() + offsets[i];
    if (key.size != 0) {
      data.facts[i].whole = IsWholeNumber({key.text, key.size});
      data.facts[i].number = LeadingNumber(key.text);
    }
  }
  return data;
}

void ReadDates(SortData& data, size_t& dates) {
  const CDateReader reader;
  for (SortKey& key : data.keys) {
    if (key.size == 0)
      continue;
    CellFacts& facts = data.facts[static_cast<size_t>(key.index)];
    const std::optional<qint64> when = reader.Read({key.text, key.size});
    facts.isDate = when.has_value();
    facts.date = when.value_or(0);
    dates += facts.isDate ? 1 : 0;
  }
}

ColumnKind Classify(SortData& data) {
  size_t filled = 0;
  size_t whole = 0;
  for (const SortKey& key : data.keys) {
    filled += key.size != 0 ? 1 : 0;
    whole += key.size != 0 && data.facts[static_cast<size_t>(key.index)].whole ? 1 : 0;
  }
  if (whole == filled)
    return ColumnKind::Number;
  size_t dates = 0;
  ReadDates(data, dates);
  if (whole != 0)
    return ColumnKind::Mixed;
  if (dates == filled)
    return ColumnKind::Date;
  return dates == 0 ? ColumnKind::Text : ColumnKind::Mixed;
}

size_t CommonStart(const std::vector<SortKey>& keys) {
  const SortKey* first = nullptr;
  size_t common = 0;
  for (const SortKey& key : keys) {
    if (key.size == 0)
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

// Sixteen bytes of the key's text from `offset` on, big-endian, zeros past its end.
void SetTextPrefix(SortKey& key, size_t offset) {
  key.high = 0;
  key.low = 0;
  for (size_t i = offset; i < offset + 16; ++i) {
    uint64_t& half = i < offset + 8 ? key.high : key.low;
    half <<= 8;
    if (i < key.size)
      half |= static_cast<unsigned char>(key.text[i]);
  }
}

void SetPrefixes(SortData& data) {
  for (SortKey& key : data.keys) {
    if (key.size == 0)
      continue;
    const CellFacts& facts = data.facts[static_cast<size_t>(key.index)];
    if (data.kind == ColumnKind::Number)
      key.high = OrderedBits(facts.number);
    else if (data.kind == ColumnKind::Date)
      key.high = OrderedBits(facts.date);
    else
      SetTextPrefix(key, data.common);
  }
}

// A column of plain texts is a consistent order, sorted sixteen bytes at a time: by the keys'
// prefixes, then each run of equal prefixes by the next sixteen bytes of its texts, and so on.
// Texts are read once per sixteen bytes they share with another, not once per comparison,
// which keeps a large column's sort from wandering through memory.
void SortTextKeys(SortKey* begin, SortKey* end, size_t offset, bool ascending) {
  auto before = [ascending](const SortKey& a, const SortKey& b) {
    const auto order = [](const SortKey& key) {
      return std::tuple(key.size != 0, key.high, key.low);
    };
    return ascending ? order(a) < order(b) : order(b) < order(a);
  };
  std::stable_sort(begin, end, before);
  const size_t next = offset + 16;
  for (SortKey* run = begin; run != end;) {
    SortKey* runEnd = run + 1;
    while (runEnd != end && !before(*run, *runEnd))
      ++runEnd;
    const bool goesOn =
        std::any_of(run, runEnd, [next](const SortKey& k) { return k.size > next; });
    if (run->size != 0 && runEnd - run > 1 && goesOn) {
      for (SortKey* key = run; key != runEnd; ++key)
        SetTextPrefix(*key, next);
      SortTextKeys(run, runEnd, next, ascending);
    }
    run = runEnd;
  }
}

int CompareText(const SortKey& a, const SortKey& b, size_t common) {
  // Both begin with the common start. The texts hold no NUL byte, so equal prefixes mean equal
  // texts unless both go on past them.
  if (a.high != b.high)
    return CompareValues(a.high, b.high);
  if (a.low != b.low)
    return CompareValues(a.low, b.low);
  const size_t seen = common + 16;
  if (a.size <= seen || b.size <= seen)
    return CompareValues(a.size, b.size);
  const std::string_view restA(a.text + seen, a.size - seen);
  const std::string_view restB(b.text + seen, b.size - seen);
  const int order = restA.compare(restB);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

template <ColumnKind kind>
int CompareKeys(const SortKey& a, const SortKey& b, const SortData& data) {
  if (a.size == 0 || b.size == 0)
    return CompareValues(a.size, b.size);
  if constexpr (kind == ColumnKind::Number || kind == ColumnKind::Date)
    return CompareValues(a.high, b.high);
  if constexpr (kind == ColumnKind::Mixed) {
    const CellFacts& factsA = data.facts[static_cast<size_t>(a.index)];
    const CellFacts& factsB = data.facts[static_cast<size_t>(b.index)];
    if (factsA.whole)
      return CompareValues(factsA.number, factsB.number);
    if (factsA.isDate && factsB.isDate)
      return CompareValues(factsA.date, factsB.date);
  }
  return CompareText(a, b, data.common);
}

// A bottom-up merge sort; returns whichever of the two arrays ends up holding the result.
// Unlike quicksort-style sorts it never relies on the comparison being a consistent order to
// stay inside the arrays: every step is bounded by the run lengths. Equal keys keep their order.
template <ColumnKind kind, bool ascending>
SortKey* MergeSort(SortKey* keys, SortKey* scratch, size_t count, const SortData& data) {
  SortKey* from = keys;
  SortKey* to = scratch;
  // True when `right` must go before `left`: the pair's value for (left, right) is positive.
  auto rightFirst = [&data](const SortKey& left, const SortKey& right) {
    return (ascending ? CompareKeys<kind>(left, right, data)
                      : CompareKeys<kind>(right, left, data)) > 0;
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

template <ColumnKind kind>
SortKey* SortKeys(SortData& data, SortKey* scratch, bool ascending) {
  const size_t count = data.keys.size();
  return ascending ? MergeSort<kind, true>(data.keys.data(), scratch, count, data)
                   : MergeSort<kind, false>(data.keys.data(), scratch, count, data);
}

}  // namespace

bool IsWholeNumber(std::string_view text) {
  if (text.empty())
    return false;
  if ((text.front() == '+' || text.front() == '-') && text.size() > 1)
    text.remove_prefix(1);
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<int32_t> SortCells(size_t count, const CellTextReader& cellText, bool ascending) {
  SortData data = ReadCells(count, cellText);
  data.kind = Classify(data);
  data.common = CommonStart(data.keys);
  SetPrefixes(data);
  // Not initialised: every key is written before it is read.
  const auto scratch = std::make_unique_for_overwrite<SortKey[]>(count);
  SortKey* sorted = nullptr;
  switch (data.kind) {
    case ColumnKind::Text:
      SortTextKeys(data.keys.data(), data.keys.data() + count, data.common, ascending);
      sorted = data.keys.data();
      break;
    case ColumnKind::Number:
      sorted = SortKeys<ColumnKind::Number>(data, scratch.get(), ascending);
      break;
    case ColumnKind::Date:
      sorted = SortKeys<ColumnKind::Date>(data, scratch.get(), ascending);
      break;
    case ColumnKind::Mixed:
      sorted = SortKeys<ColumnKind::Mixed>(data, scratch.get(), ascending);
      break;
  }
  std::vector<int32_t> order(count);
  for (size_t position = 0; position < count; ++position)
    order[position] = sorted[position].index;
  return order;
}

int CompareCells(std::string_view a, std::string_view b) {
  const std::string_view cells[] = {a, b};
  SortData data = ReadCells(2, [&cells](size_t i, std::string&) { return cells[i]; });
  // The full rules, whatever the two cells are.
  size_t dates = 0;
  ReadDates(data, dates);
  data.kind = ColumnKind::Mixed;
  data.common = CommonStart(data.keys);
  SetPrefixes(data);
  return CompareKeys<ColumnKind::Mixed>(data.keys[0], data.keys[1], data);
}
