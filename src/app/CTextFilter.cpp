#include "app/CTextFilter.h"

#include <algorithm>

#include "parser/TextUtil.h"
#include "ui/DisplayText.h"

CTextFilter::CTextFilter(const QString& typed) : m_typed(typed) {
  m_isAscii = std::all_of(typed.begin(), typed.end(), [](QChar c) { return c.unicode() < 0x80; });
  if (m_isAscii) {
    m_ascii.reserve(static_cast<size_t>(typed.size()));
    for (QChar c : typed)
      m_ascii.push_back(AsciiToLower(static_cast<char>(c.unicode())));
  }
}

bool CTextFilter::Matches(std::string_view cell) const {
  if (m_typed.isEmpty())
    return true;
  // ASCII bytes stand for the same characters in UTF-8 and in Latin-1, and ASCII letters fold
  // only to each other, so a match on the bytes is a match; a cell of ASCII alone has no other.
  if (m_isAscii) {
    if (FindAscii(cell))
      return true;
    if (IsAsciiText(cell))
      return false;
  }
  return DisplayText(cell).contains(m_typed, Qt::CaseInsensitive);
}

bool CTextFilter::IsNarrowedBy(const CTextFilter& other) const {
  return other.m_typed.contains(m_typed, Qt::CaseInsensitive);
}

bool CTextFilter::FindAscii(std::string_view cell) const {
  const size_t length = m_ascii.size();
  if (cell.size() < length)
    return false;
  const char first = m_ascii[0];
  const char firstUpper =
      first >= 'a' && first <= 'z' ? static_cast<char>(first - 'a' + 'A') : first;
  const size_t last = cell.size() - length;
  for (size_t i = 0; i <= last; ++i) {
    if (cell[i] != first && cell[i] != firstUpper)
      continue;
    size_t k = 1;
    while (k < length && AsciiToLower(cell[i + k]) == m_ascii[k])
      ++k;
    if (k == length)
      return true;
  }
  return false;
}
