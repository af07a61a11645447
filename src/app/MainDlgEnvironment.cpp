#include "app/MainDlgEnvironment.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

#include "app/LastFolders.h"
#include "db/FileKinds.h"
#include "dialogs/CMakePatchSetDlg.h"
#include "dialogs/COptionsDlg.h"
#include "dialogs/CPatchInfoDlg.h"
#include "dialogs/CPatchSetInfoDlg.h"
#include "dialogs/CRomInfoDlg.h"
#include "platform/AppFolders.h"

namespace {

// "*.ips" as "*.[iI][pP][sS]": the desktop's dialogs match the patterns with the letter case
// as given, and files are as often named GAME.IPS or Game.Smc as game.ips.
QString AnyCase(const QString& patterns) {
  QString any;
  for (const QChar c : patterns) {
    if (c.isLetter() && c.toLower() != c.toUpper())
      any += QStringLiteral("[%1%2]").arg(c.toLower(), c.toUpper());
    else
      any += c;
  }
  return any;
}

// One name filter, its patterns matched in any letter case but shown as written.
QString NameFilter(const QString& name, const QString& patterns) {
  return QStringLiteral("%1 (%2) (%3)").arg(name, patterns, AnyCase(patterns));
}

// Asks for one existing file in the desktop's own dialog, starting where a file of this kind was
// last taken from; its path as the bytes the system knows it by, empty on Cancel.
std::string ChooseFile(QWidget* parent, const char* kind, const QStringList& filters,
                       const QString& defaultSuffix) {
  QFileDialog dialog(parent);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters(filters);
  // The patterns in any letter case would make the filters' names hard to read.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setDefaultSuffix(defaultSuffix);
  dialog.setDirectory(StartFolder(kind));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::string();
  const QString file = dialog.selectedFiles().constFirst();
  RememberFolder(kind, QFileInfo(file).absolutePath());
  return QFile::encodeName(file).toStdString();
}

std::string DefaultChooseRomFile(QWidget* parent) {
  // ROMs are mostly named .sfc or .swc today, hence the second entry.
  return ChooseFile(
      parent, "Rom",
      {NameFilter("SNES ROM files", "*.smc *.fig"),
       NameFilter("SNES ROMs in archives", "*.zip *.7z *.gz"), QStringLiteral("All files (*)")},
      "smc");
}

std::string DefaultChoosePatchFile(QWidget* parent) {
  return ChooseFile(
      parent, "Patch",
      {NameFilter("Patch files", "*.ips *.bps *.ups"), NameFilter("IPS Patch files", "*.ips"),
       NameFilter("BPS Patch files", "*.bps"), NameFilter("UPS Patch files", "*.ups")},
      "ips");
}

bool DefaultEditPatchInfo(PatchRecord& patch, bool allowEdit, UserPrompt& prompt, QWidget* parent) {
  CPatchInfoDlg dialog(patch, prompt, allowEdit, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool DefaultEditPatchSetInfo(PatchSetRecord& set, const CPatchDB& db, bool allowEdit,
                             QWidget* parent) {
  CPatchSetInfoDlg dialog(set, db, allowEdit, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool DefaultMakePatchSet(CPatchDB& db, const std::vector<int>& patches, QWidget* parent) {
  CMakePatchSetDlg dialog(db, patches, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool DefaultEditRomInfo(RomRecord& rom, CPatchDB& db, UserPrompt& prompt, QWidget* parent) {
  CRomInfoDlg dialog(rom, db, prompt, parent);
  return dialog.exec() == QDialog::Accepted;
}

void ShowOptionsDialog(CPatchDB& db, OptionsPage page, const std::string& appDir,
                       const std::string& databaseDir, UserPrompt& prompt, QWidget* parent) {
  COptionsDlg dialog(db, prompt, page, appDir, parent, databaseDir);
  // Over the window when it is on the screen (the toolkit centres it there); on the first start,
  // before the window is shown, in the middle of the screen rather than at the hidden window's
  // corner.
  if (parent == nullptr || !parent->isVisible()) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
      dialog.move(screen->availableGeometry().center() - dialog.rect().center());
  }
  dialog.exec();
}

bool DefaultOpenInViewer(const std::string& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(path.c_str())));
}

}  // namespace

void CompleteMainDlgEnvironment(MainDlgEnvironment& environment) {
  if (!environment.chooseRomFile)
    environment.chooseRomFile = DefaultChooseRomFile;
  if (!environment.choosePatchFile)
    environment.choosePatchFile = DefaultChoosePatchFile;
  if (!environment.editPatchInfo)
    environment.editPatchInfo = DefaultEditPatchInfo;
  if (!environment.editPatchSetInfo)
    environment.editPatchSetInfo = DefaultEditPatchSetInfo;
  if (!environment.makePatchSet)
    environment.makePatchSet = DefaultMakePatchSet;
  if (!environment.editRomInfo)
    environment.editRomInfo = DefaultEditRomInfo;
  if (!environment.showOptions) {
    environment.showOptions = [databaseDir = environment.databaseDir](
                                  CPatchDB& db, OptionsPage page, const std::string& appDir,
                                  UserPrompt& prompt, QWidget* parent) {
      ShowOptionsDialog(db, page, appDir, databaseDir, prompt, parent);
    };
  }
  if (environment.userGuide.empty())
    environment.userGuide = GetUserGuidePath();
  if (!environment.findEmulators)
    environment.findEmulators = FindInstalledEmulators;
  if (!environment.openInViewer)
    environment.openInViewer = DefaultOpenInViewer;
}
