#include "ui/DisplayText.h"

#include <QStringDecoder>
#include <QStringList>

#include "platform/Folders.h"
#include "platform/Path.h"

namespace {

bool IsUtf8(std::string_view bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text =
      utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  return !utf8.hasError();
}

std::string Utf8(const QString& text) {
  return text.toStdString();
}

// Latin-1 where the characters have a byte there; anything typed beyond it as UTF-8.
std::string Latin1(const QString& text) {
  std::string bytes;
  for (const QChar c : text) {
    if (c.unicode() <= 0xFF)
      bytes += static_cast<char>(c.unicode());
    else
      bytes += Utf8(QString(c));
  }
  return bytes;
}

std::vector<std::string_view> SplitNames(std::string_view path) {
  std::vector<std::string_view> names;
  for (size_t from = 0;;) {
    const size_t slash = path.find('/', from);
    names.push_back(path.substr(from, slash == std::string_view::npos ? slash : slash - from));
    if (slash == std::string_view::npos)
      return names;
    from = slash + 1;
  }
}

// The bytes of a name typed into a path: a name of the shown path, then an entry of the folder
// it is typed in, shown as that text; the name encoded as typed (UTF-8) comes first where it
// names an entry itself.
std::string NameBytes(const QString& name, std::string_view shownFrom, const std::string& folder,
                      bool shownAsUtf8) {
  for (const std::string_view shown : SplitNames(shownFrom)) {
    if (DisplayText(shown) == name)
      return std::string(shown);
  }
  const std::string typed = shownAsUtf8 ? Utf8(name) : Latin1(name);
  if (name.isEmpty() || GetPathKind(folder + typed) != PathKind::Missing ||
      GetPathKind(folder) != PathKind::Folder) {
    return typed;
  }
  for (const std::string& entry : ListFolder(folder)) {
    if (DisplayText(entry) == name)
      return entry;
  }
  return typed;
}

}  // namespace

QString DisplayText(std::string_view bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!utf8.hasError())
    return text;
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string TextBytes(const QString& text, std::string_view shownFrom) {
  if (DisplayText(shownFrom) == text)
    return std::string(shownFrom);
  return IsUtf8(shownFrom) ? Utf8(text) : Latin1(text);
}

QString PathText(std::string_view bytes) {
  QStringList names;
  for (const std::string_view name : SplitNames(bytes))
    names.append(DisplayText(name));
  return names.join('/');
}

std::string PathBytes(const QString& text, std::string_view shownFrom, const std::string& base) {
  if (PathText(shownFrom) == text)
    return std::string(shownFrom);
  const bool shownAsUtf8 = IsUtf8(shownFrom);
  std::string bytes;
  const QStringList names = text.split('/');
  for (qsizetype i = 0; i < names.size(); ++i) {
    if (i > 0)
      bytes += '/';
    // The folder this name is typed in, as the file system knows it.
    std::string folder = bytes.empty() ? base : MakeAbsolute(ExpandHome(bytes), base);
    if (!folder.empty() && folder.back() != '/')
      folder += '/';
    bytes += NameBytes(names[i], shownFrom, folder.empty() ? "./" : folder, shownAsUtf8);
  }
  return bytes;
}
