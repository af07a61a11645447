#include "app/CDateReader.h"

#include <QDateTime>
#include <algorithm>

#include "parser/TextUtil.h"

namespace {

bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

CDateReader::CDateReader()
    : m_formats{m_locale.dateFormat(QLocale::ShortFormat), m_locale.dateFormat(QLocale::LongFormat),
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

  // The short date form as digit fields and single separators, when it is no more than that.
  const QString& format = m_formats[0];
  for (qsizetype i = 0; i < format.size();) {
    const QChar letter = format[i];
    qsizetype run = 1;
    while (i + run < format.size() && format[i + run] == letter)
      ++run;
    const char kind = letter.toLatin1();
    const bool dayOrMonth = (kind == 'd' || kind == 'M') && run <= 2;
    const bool monthName = kind == 'M' && (run == 3 || run == 4);
    const bool year = kind == 'y' && (run == 2 || run == 4);
    if (monthName) {
      for (int month = 1; month <= 12; ++month) {
        m_monthNames[static_cast<size_t>(month - 1)] =
            m_locale.monthName(month, run == 3 ? QLocale::ShortFormat : QLocale::LongFormat)
                .toStdString();
      }
    }
    if (!dayOrMonth && !monthName && !year) {
      m_numeric.clear();
      return;
    }
    i += run;
    char separator = 0;
    if (i < format.size()) {
      const QChar next = format[i];
      if (next.unicode() >= 0x80 || next.isLetterOrNumber() || next == u'\'' ||
          (next.isSpace() && next != u' ')) {
        m_numeric.clear();
        return;
      }
      separator = next.toLatin1();
      ++i;
    }
    m_numeric.push_back({monthName ? 'N' : kind, run == 1 ? 0 : static_cast<int>(run), separator});
  }
  if (m_numeric.size() != 3)
    m_numeric.clear();
}

std::optional<qint64> CDateReader::Read(std::string_view text) const {
  // Every form of a date has a numeric day or year.
  if (std::none_of(text.begin(), text.end(), IsAsciiDigit))
    return std::nullopt;
  if (!MayBeDate(text))
    return std::nullopt;
  if (const std::optional<qint64> numeric = ReadNumeric(text))
    return numeric;
  const QString qtext = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  for (size_t i = 0; i < m_formats.size(); ++i) {
    if (!HasSeparators(qtext, m_separators[i]))
      continue;
    if (const std::optional<qint64> when = ReadWithFormat(qtext, i))
      return when;
  }
  return std::nullopt;
}

// The parser is slow and most texts fail it; a character no form of a date can contain (a point
// in an English file name, a bracket in a title) rules a text out cheaply.
bool CDateReader::MayBeDate(std::string_view text) const {
  if (IsAsciiText(text)) {
    return std::all_of(text.begin(), text.end(), [this](char c) {
      const auto code = static_cast<unsigned char>(c);
      const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
      return m_allowed[code] || IsAsciiDigit(c) || c == ' ' || (c >= '\t' && c <= '\r') ||
             (m_anyLetter && letter);
    });
  }
  const QString qtext = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  return std::all_of(qtext.begin(), qtext.end(), [this](QChar c) {
    return m_allowed[c.unicode()] || c.isDigit() || c.isSpace() || (m_anyLetter && c.isLetter());
  });
}

// The short form exactly as the locale writes it. Anything else, an impossible day included,
// is left to the general parser, which then decides.
std::optional<qint64> CDateReader::ReadNumeric(std::string_view text) const {
  if (m_numeric.empty())
    return std::nullopt;
  int day = 0;
  int month = 0;
  int year = 0;
  size_t pos = 0;
  for (const NumericField& field : m_numeric) {
    if (field.kind == 'N') {
      // A month by its name, exactly as the locale writes it.
      month = 0;
      for (size_t i = 0; i < m_monthNames.size() && month == 0; ++i) {
        const std::string& name = m_monthNames[i];
        if (!name.empty() && text.substr(pos, name.size()) == name &&
            (pos + name.size() == text.size() || text[pos + name.size()] == field.separator)) {
          month = static_cast<int>(i) + 1;
          pos += name.size();
        }
      }
      if (month == 0)
        return std::nullopt;
      if (field.separator != 0) {
        if (pos >= text.size() || text[pos] != field.separator)
          return std::nullopt;
        ++pos;
      }
      continue;
    }
    size_t end = pos;
    while (end < text.size() && end - pos < 4 && IsAsciiDigit(text[end]))
      ++end;
    const size_t length = end - pos;
    if (field.digits == 0 ? (length < 1 || length > 2 || text[pos] == '0')
                          : length != static_cast<size_t>(field.digits))
      return std::nullopt;
    int value = 0;
    for (size_t i = pos; i < end; ++i)
      value = value * 10 + (text[i] - '0');
    if (field.kind == 'd')
      day = value;
    else if (field.kind == 'M')
      month = value;
    else
      year = field.digits == 2 ? 1900 + value : value;
    pos = end;
    if (field.separator != 0) {
      if (pos >= text.size() || text[pos] != field.separator)
        return std::nullopt;
      ++pos;
    }
  }
  if (pos != text.size())
    return std::nullopt;
  QDate date(year, month, day);
  if (!date.isValid())
    return std::nullopt;
  if (m_twoDigitYear[0] && date.year() < 1930)
    date = date.addYears(100);
  return Milliseconds(date, QTime(0, 0));
}

std::optional<qint64> CDateReader::ReadWithFormat(const QString& text, size_t format) const {
  QDateTime when;
  if (format < 2)
    when = QDateTime(m_locale.toDate(text, m_formats[format]), QTime(0, 0));
  else
    when = m_locale.toDateTime(text, m_formats[format]);
  if (!when.isValid())
    return std::nullopt;
  if (when.timeSpec() != Qt::LocalTime)
    when = when.toLocalTime();
  QDate day = when.date();
  // Qt puts two-digit years in the 1900s; read them as the user's calendar does, 00 to 29 as
  // 2000 to 2029, so that "1/1/05" sorts after "1/1/99".
  if (m_twoDigitYear[format] && day.year() >= 1900 && day.year() < 1930)
    day = day.addYears(100);
  return Milliseconds(day, when.time());
}

std::vector<CDateReader::Separator> CDateReader::SeparatorsOf(const QString& format) {
  std::vector<Separator> separators;
  auto add = [&](QChar c) {
    if (c.isLetterOrNumber())
      return;
    if (c.isSpace())
      c = QChar(0x20);
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

bool CDateReader::HasSeparators(const QString& text, const std::vector<Separator>& separators) {
  for (const Separator& separator : separators) {
    int found = 0;
    for (QChar c : text) {
      if (c == separator.character || (separator.character == QChar(0x20) && c.isSpace()))
        ++found;
    }
    if (found < separator.count)
      return false;
  }
  return true;
}

// Month and day names match in any letter case.
void CDateReader::Allow(const QString& characters) {
  for (QChar c : characters) {
    m_allowed.set(c.unicode());
    m_allowed.set(c.toLower().unicode());
    m_allowed.set(c.toUpper().unicode());
  }
}

qint64 CDateReader::Milliseconds(QDate day, QTime time) {
  return day.toJulianDay() * qint64{86400000} + time.msecsSinceStartOfDay();
}
