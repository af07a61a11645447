#include "app/LastFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

QString Key(const char* kind) {
  return QStringLiteral("LastFolders/") + QString::fromLatin1(kind);
}

QSettings UserSettings() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, "brindle", "brindle");
}

}  // namespace

QString StartFolder(const char* kind) {
  // Kept as the bytes the system knows the folder by: its name need not be valid UTF-8.
  const QByteArray bytes = UserSettings().value(Key(kind)).toByteArray();
  const QString folder = QFile::decodeName(bytes);
  if (!folder.isEmpty() && QFileInfo(folder).isDir())
    return folder;
  return QDir::homePath();
}

void RememberFolder(const char* kind, const QString& folder) {
  if (folder.isEmpty())
    return;
  QSettings settings = UserSettings();
  settings.setValue(Key(kind), QFile::encodeName(folder));
}
