#pragma once

#include <QString>
#include <array>
#include <string>
#include <string_view>

/// What a list's filter field asks: whether a cell's text, as shown, contains the typed text in
/// any letter case. Cells are bytes shown as UTF-8 where valid and as Latin-1 otherwise; the
/// common case of plain ASCII on both sides is compared on the bytes, without decoding.
class CTextFilter final {
 public:
  explicit CTextFilter(const QString& typed = QString());

  /// True when nothing was typed: every row passes.
  bool IsEmpty() const { return m_typed.isEmpty(); }
  const QString& Text() const { return m_typed; }
  bool Matches(std::string_view cell) const;
  /// True when every cell `other` matches, this filter matches too (it asks for less), so a
  /// narrower filter need only look at the rows this one let through.
  bool IsNarrowedBy(const CTextFilter& other) const;

 private:
  bool FindAscii(std::string_view cell) const;

  QString m_typed;
  // The typed text in ASCII small letters, when it is ASCII.
  std::string m_ascii;
  bool m_isAscii = false;
};
