#include "app/MainDlgEnvironment.h"

#include <QDialog>
#include <QFile>
#include <QFileDialog>

#include "db/FileKinds.h"
#include "dialogs/COptionsDlg.h"
#include "dialogs/CPatchInfoDlg.h"
#include "dialogs/CRomInfoDlg.h"

namespace {

// Asks for one existing file; its path as the bytes the system knows it by, empty on Cancel.
std::string ChooseFile(QWidget* parent, const QString& filters, const QString& defaultSuffix) {
  QFileDialog dialog(parent);
  // Qt's own dialog matches the filters' patterns whatever the letter case of a name, so that
  // GAME.IPS and Game.SMC are listed; the desktop's dialogs on Linux match case exactly.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(filters);
  dialog.setDefaultSuffix(defaultSuffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::string();
  return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

std::string DefaultChooseRomFile(QWidget* parent) {
  // The filter's patterns are separated by blanks: Qt reads a comma as part of a pattern.
  // ROMs are mostly named .sfc or .swc today, hence the second entry.
  return ChooseFile(parent,
                    "SNES ROM files (*.smc *.fig);;SNES ROMs in archives (*.zip *.7z *.gz);;"
                    "All files (*)",
                    "smc");
}

std::string DefaultChoosePatchFile(QWidget* parent) {
  return ChooseFile(parent,
                    "Patch files (*.ips *.bps *.ups);;IPS Patch files (*.ips);;"
                    "BPS Patch files (*.bps);;UPS Patch files (*.ups)",
                    "ips");
}

bool DefaultEditPatchInfo(PatchRecord& patch, bool allowEdit, UserPrompt& prompt, QWidget* parent) {
  CPatchInfoDlg dialog(patch, prompt, allowEdit, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool DefaultEditRomInfo(RomRecord& rom, CPatchDB& db, UserPrompt& prompt, QWidget* parent) {
  CRomInfoDlg dialog(rom, db, prompt, parent);
  return dialog.exec() == QDialog::Accepted;
}

void DefaultShowOptions(CPatchDB& db, OptionsPage page, const std::string& appDir,
                        UserPrompt& prompt, QWidget* parent) {
  COptionsDlg dialog(db, prompt, page, appDir, parent);
  dialog.exec();
}

}  // namespace

void CompleteMainDlgEnvironment(MainDlgEnvironment& environment) {
  if (!environment.chooseRomFile)
    environment.chooseRomFile = DefaultChooseRomFile;
  if (!environment.choosePatchFile)
    environment.choosePatchFile = DefaultChoosePatchFile;
  if (!environment.editPatchInfo)
    environment.editPatchInfo = DefaultEditPatchInfo;
  if (!environment.editRomInfo)
    environment.editRomInfo = DefaultEditRomInfo;
  if (!environment.showOptions)
    environment.showOptions = DefaultShowOptions;
}
