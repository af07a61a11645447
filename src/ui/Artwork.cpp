#include "ui/Artwork.h"

#include <QPainter>
#include <QString>
#include <iterator>

#include "platform/FileSystem.h"

// The resources live in a static library; referencing their initialiser keeps the linker from
// dropping them.
static void InitArtworkResources() {
  static const bool done = [] {
    Q_INIT_RESOURCE(brindle);
    return true;
  }();
  (void)done;
}

namespace {

constexpr int kSizes[] = {16, 32, 48};

QIcon LoadIcon(const char* name) {
  InitArtworkResources();
  QIcon icon;
  for (int size : kSizes) {
    icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(QLatin1String(name)).arg(size),
                 QSize(size, size));
  }
  return icon;
}

QPixmap LoadPicture(const char* name) {
  InitArtworkResources();
  return QPixmap(QStringLiteral(":/icons/%1-48.png").arg(QLatin1String(name)));
}

// The program's icons in the order of their numbers, which is the order of the index that the
// file-type registration stores: 128, 148, 154, 155, 156.
const char* FileTypeIconName(int fileIcon) {
  static const char* const kByIndex[] = {"app", "patchfile", "patchedrom", "patch", "rom"};
  if (fileIcon < 0 || fileIcon >= static_cast<int>(std::size(kByIndex)))
    return nullptr;
  return kByIndex[fileIcon];
}

}  // namespace

QIcon GetAppIcon() {
  return LoadIcon("app");
}
QIcon GetPatchIcon() {
  return LoadIcon("patch");
}
QIcon GetPatchSetIcon() {
  InitArtworkResources();
  QIcon icon;
  for (int size : kSizes) {
    // Each patch at about two thirds of the size: the one behind up and left and paler, the
    // other over it down and right, so that the two read as a stack even at 16 pixels.
    const int part = size * 11 / 16;
    const QPixmap patch = QPixmap(QStringLiteral(":/icons/patch-%1.png").arg(size))
                              .scaled(part, part, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPixmap both(size, size);
    both.fill(Qt::transparent);
    QPainter painter(&both);
    painter.setOpacity(0.6);
    painter.drawPixmap(0, 0, patch);
    painter.setOpacity(1.0);
    painter.drawPixmap(size - part, size - part, patch);
    painter.end();
    icon.addPixmap(both);
  }
  return icon;
}
QIcon GetRomIcon() {
  return LoadIcon("rom");
}
QPixmap GetPatchPicture() {
  return LoadPicture("patchfile");
}
QPixmap GetRomPicture() {
  return LoadPicture("rom");
}

QIcon GetFileTypeIcon(int fileIcon) {
  const char* name = FileTypeIconName(fileIcon);
  return name == nullptr ? QIcon() : LoadIcon(name);
}

std::string GetFileTypeIconFile(int fileIcon, int size) {
  const char* name = FileTypeIconName(fileIcon);
  if (name == nullptr)
    return {};
  return GetAppDir() + "/icons/" + name + "-" + std::to_string(size) + ".png";
}
