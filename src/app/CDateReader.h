#pragma once

#include <QLocale>
#include <QString>
#include <array>
#include <bitset>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// Reads the dates of a list's cells as the user writes them: the locale's short and long date
/// forms, then its short and long date-time forms. Set up once per sort; reading a text that
/// is no date is cheap, and the short numeric form of most locales ("12/7/26", "07.12.26") is
/// read without the general parser.
class CDateReader final {
 public:
  CDateReader();

  /// Milliseconds on a local time line, or nothing when the text is not a date.
  std::optional<qint64> Read(std::string_view text) const;

 private:
  // A separator a format puts between its fields, with how often it appears. The parser matches
  // them exactly, so a text lacking one cannot be read with that format. All white space counts
  // as one kind.
  struct Separator {
    QChar character;
    int count;
  };
  // One field of the short date form: day, month or year in digits ('d', 'M', 'y'), with how
  // many digits it is written with (0 for "1 or 2, no leading zero"), or the month's name
  // ('N'); and the separator after it.
  struct NumericField {
    char kind;
    int digits;
    char separator;
  };

  static std::vector<Separator> SeparatorsOf(const QString& format);
  static bool HasSeparators(const QString& text, const std::vector<Separator>& separators);
  void Allow(const QString& characters);
  bool MayBeDate(std::string_view text) const;
  std::optional<qint64> ReadNumeric(std::string_view text) const;
  std::optional<qint64> ReadWithFormat(const QString& text, size_t format) const;
  static qint64 Milliseconds(QDate day, QTime time);

  QLocale m_locale;
  std::array<QString, 4> m_formats;
  std::array<std::vector<Separator>, 4> m_separators;
  std::array<bool, 4> m_twoDigitYear{};
  std::bitset<65536> m_allowed;
  bool m_anyLetter = false;
  // The short date form when it is digits, month names and single separators: three fields.
  std::vector<NumericField> m_numeric;
  std::array<std::string, 12> m_monthNames;
};
