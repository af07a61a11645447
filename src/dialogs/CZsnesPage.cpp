#include "dialogs/CZsnesPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "db/CPatchDB.h"
#include "db/ZsnesSettings.h"
#include "dialogs/CFolderDlg.h"
#include "platform/Folders.h"
#include "platform/Path.h"
#include "platform/Process.h"
#include "ui/DialogLayout.h"
#include "ui/DisplayText.h"

namespace {

constexpr ControlRow kControls[] = {
    {-1, ControlKind::GroupBox, "InstallationGroup", "Installation", 7, 7, 290, 51},
    {-1, ControlKind::Label, "DirectoryLabel", "Install Directory:", 14, 20, 51, 8},
    {CZsnesPage::kDirectory, ControlKind::Edit, "ZsnesDirectory", "", 69, 18, 178, 14},
    {CZsnesPage::kBrowse, ControlKind::PushButton, "Browse", "Browse", 250, 18, 43, 14},
    {-1, ControlKind::Label, "VersionLabel", "Version:", 14, 37, 26, 8},
    {CZsnesPage::kVersion, ControlKind::DropDownList, "ZsnesVersion", "", 135, 35, 112, 30},
    {-1, ControlKind::GroupBox, "FilesGroup", "Files and Paths", 7, 63, 290, 113},
    {CZsnesPage::kSaveWithPatches, ControlKind::CheckBox, "SaveWithPatches",
     "Create save games in same directory as patch files (Recommended)\tIf this option is "
     "checked, save games will be stored in the same directory as the .IPS files. Otherwise, save "
     "games will be stored in ZSNES's current save directory.  (See zsnesw.cfg)",
     14, 80, 260, 10},
    {-1, ControlKind::Label, "FillNote",
     "Brindle will attempt to fill in the following values automatically.  You should only "
     "change them if your ZSNES installation contains unusual filenames.",
     13, 98, 277, 18},
    {-1, ControlKind::Label, "ExecutableLabel", "ZSNES Executable:", 14, 125, 64, 8},
    {CZsnesPage::kExecutable, ControlKind::Edit, "ZsnesExecutable", "", 84, 123, 203, 14},
    {-1, ControlKind::Label, "ConfigLabel", "ZSNES Config file:", 14, 143, 60, 8},
    {CZsnesPage::kConfig, ControlKind::Edit, "ZsnesConfig", "", 84, 141, 203, 14},
};

// In the order of ZsnesVariant.
constexpr const char* kVersions[] = {"ZSNESW (Windows)", "ZSNES (DOS)", "ZSNES (Linux)"};

std::optional<std::string> PickFolder(UserPrompt& prompt, QWidget* parent,
                                      const std::string& start) {
  CFolderDlg picker(prompt, start, parent);
  if (picker.exec() != QDialog::Accepted)
    return std::nullopt;
  return picker.GetFolder();
}

}  // namespace

CZsnesPage::CZsnesPage(const CPatchDB& db, UserPrompt& prompt, QWidget* parent)
    : QWidget(parent), m_chooseFolder([&prompt](QWidget* owner, const std::string& start) {
        return PickFolder(prompt, owner, start);
      }) {
  CreateWidgets();
  LoadFields(db);
  ConnectWidgets();
}

void CZsnesPage::CreateWidgets() {
  CreateControls(*this, kControls);
  m_directory = findChild<QLineEdit*>("ZsnesDirectory");
  m_version = findChild<QComboBox*>("ZsnesVersion");
  m_saveWithPatches = findChild<QCheckBox*>("SaveWithPatches");
  m_executable = findChild<QLineEdit*>("ZsnesExecutable");
  m_config = findChild<QLineEdit*>("ZsnesConfig");
  for (const char* version : kVersions)
    m_version->addItem(version);
  // The check box's text ends at its tab: what follows explains it, as its tool tip.
  const QString text = m_saveWithPatches->text();
  m_saveWithPatches->setText(text.section('\t', 0, 0));
  m_saveWithPatches->setToolTip(text.section('\t', 1));
}

void CZsnesPage::LoadFields(const CPatchDB& db) {
  // The stored paths are shown as they are, even where they differ from the derived ones.
  const QSignalBlocker blockDirectory(m_directory), blockVersion(m_version);
  ZsnesForm form = ReadZsnesForm(db);
  // A ZSNES installed by the system's package manager is offered until one is configured.
  SuggestZsnesOnPath(form, FindProgramInPath("zsnes"), GetPasswordHomeFolder());
  m_directoryShown = form.directory;
  m_executableShown = form.executable;
  m_configShown = form.config;
  m_directory->setText(PathText(form.directory));
  m_version->setCurrentIndex(form.variant);
  m_executable->setText(PathText(form.executable));
  m_config->setText(PathText(form.config));
  m_saveWithPatches->setChecked(form.saveWithPatches);
}

void CZsnesPage::ConnectWidgets() {
  // Every change of the directory, typed or browsed, and of the build derives the names again.
  connect(m_directory, &QLineEdit::textChanged, this, &CZsnesPage::DeriveFileNames);
  connect(m_version, &QComboBox::currentIndexChanged, this, &CZsnesPage::DeriveFileNames);
  connect(findChild<QPushButton*>("Browse"), &QPushButton::clicked, this, &CZsnesPage::Browse);
}

std::string CZsnesPage::DirectoryPath() const {
  return ExpandHome(PathBytes(m_directory->text(), m_directoryShown));
}

void CZsnesPage::DeriveFileNames() {
  const auto files =
      DeriveZsnesFiles(DirectoryPath(), m_version->currentIndex(), GetPasswordHomeFolder());
  if (!files)
    return;
  m_executableShown = files->executable;
  m_configShown = files->config;
  m_executable->setText(PathText(files->executable));
  m_config->setText(PathText(files->config));
}

void CZsnesPage::Browse() {
  if (const auto folder = m_chooseFolder(this, DirectoryPath()))
    SetDirectory(*folder);
}

void CZsnesPage::SetDirectory(const std::string& bytes) {
  m_directoryShown = bytes;
  const QString text = PathText(bytes);
  // Choosing the folder already shown still derives the names afresh, though the field's text
  // does not change.
  if (m_directory->text() == text)
    DeriveFileNames();
  else
    m_directory->setText(text);
}

void CZsnesPage::Store(CPatchDB& db) const {
  // A leading "~" is the home folder in each of the three paths; the emulator is started and its
  // configuration found without a shell, which would have read it so.
  ApplyZsnesForm(
      {DirectoryPath(), m_version->currentIndex(),
       ExpandHome(PathBytes(m_executable->text(), m_executableShown)),
       ExpandHome(PathBytes(m_config->text(), m_configShown)), m_saveWithPatches->isChecked()},
      db);
}
