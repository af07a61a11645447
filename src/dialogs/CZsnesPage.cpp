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
    {-1, ControlKind::Label, "EmulatorLabel", "Emulator:", 14, 9, 40, 8},
    {CZsnesPage::kEmulator, ControlKind::DropDownList, "EmulatorChoice", "", 69, 7, 178, 60},
    {-1, ControlKind::GroupBox, "InstallationGroup", "Installation", 7, 23, 290, 51},
    {-1, ControlKind::Label, "DirectoryLabel", "Install Directory:", 14, 36, 51, 8},
    {CZsnesPage::kDirectory, ControlKind::Edit, "ZsnesDirectory", "", 69, 34, 178, 14},
    {CZsnesPage::kBrowse, ControlKind::PushButton, "Browse", "Browse", 250, 34, 43, 14},
    {-1, ControlKind::Label, "VersionLabel", "Version:", 14, 53, 26, 8},
    {CZsnesPage::kVersion, ControlKind::DropDownList, "ZsnesVersion", "", 135, 51, 112, 30},
    // RetroArch and Mednafen take the place of ZSNES's installation when chosen.
    {-1, ControlKind::GroupBox, "RetroArchGroup", "RetroArch (bsnes-mercury)", 7, 23, 290, 51},
    {-1, ControlKind::Label, "RetroArchLabel", "Program:", 14, 36, 51, 8},
    {CZsnesPage::kRetroArch, ControlKind::Edit, "RetroArchProgram", "", 69, 34, 178, 14},
    {CZsnesPage::kBrowseRetroArch, ControlKind::PushButton, "BrowseRetroArch", "Browse", 250, 34,
     43, 14},
    {-1, ControlKind::Label, "RetroArchCoreLabel", "Core:", 14, 53, 51, 8},
    {CZsnesPage::kRetroArchCore, ControlKind::DropDownCombo, "RetroArchCore", "", 69, 51, 178, 60},
    {CZsnesPage::kBrowseCore, ControlKind::PushButton, "BrowseCore", "Browse", 250, 51, 43, 14},
    {-1, ControlKind::GroupBox, "MednafenGroup", "Mednafen", 7, 23, 290, 51},
    {-1, ControlKind::Label, "MednafenLabel", "Program:", 14, 36, 51, 8},
    {CZsnesPage::kMednafen, ControlKind::Edit, "MednafenProgram", "", 69, 34, 178, 14},
    {CZsnesPage::kBrowseMednafen, ControlKind::PushButton, "BrowseMednafen", "Browse", 250, 34, 43,
     14},
    {-1, ControlKind::GroupBox, "FilesGroup", "Files and Paths", 7, 79, 290, 97},
    {CZsnesPage::kSaveWithPatches, ControlKind::CheckBox, "SaveWithPatches",
     "Create save games in same directory as patch files (Recommended)\tIf this option is "
     "checked, save games will be stored in the same directory as the .IPS files. Otherwise, save "
     "games will be stored in ZSNES's current save directory.  (See zsnesw.cfg)",
     14, 94, 260, 10},
    {-1, ControlKind::Label, "FillNote",
     "Brindle will attempt to fill in the following values automatically.  You should only "
     "change them if your ZSNES installation contains unusual filenames.",
     13, 110, 277, 18},
    {-1, ControlKind::Label, "RunNote",
     "Brindle hands the patch and the save folder to the emulator for each play, and leaves the "
     "emulator's own settings as they are.",
     13, 110, 277, 18},
    {-1, ControlKind::Label, "ExecutableLabel", "ZSNES Executable:", 14, 137, 64, 8},
    {CZsnesPage::kExecutable, ControlKind::Edit, "ZsnesExecutable", "", 84, 135, 160, 14},
    {CZsnesPage::kBrowseExecutable, ControlKind::PushButton, "BrowseExecutable", "Browse", 247, 135,
     43, 14},
    {-1, ControlKind::Label, "ConfigLabel", "ZSNES Config file:", 14, 155, 60, 8},
    {CZsnesPage::kConfig, ControlKind::Edit, "ZsnesConfig", "", 84, 153, 160, 14},
    {CZsnesPage::kBrowseConfig, ControlKind::PushButton, "BrowseConfig", "Browse", 247, 153, 43,
     14},
};

// In the order of EmulatorKind.
constexpr const char* kEmulators[] = {"ZSNES", "RetroArch (bsnes-mercury)", "Mednafen",
                                      "Other emulator"};
// Each emulator's widgets, by object name, in the order of EmulatorKind.
const std::vector<const char*> kEmulatorWidgetNames[kEmulatorCount] = {
    {"InstallationGroup", "DirectoryLabel", "ZsnesDirectory", "Browse", "VersionLabel",
     "ZsnesVersion", "FillNote", "ExecutableLabel", "ZsnesExecutable", "BrowseExecutable",
     "ConfigLabel", "ZsnesConfig", "BrowseConfig"},
    {"RetroArchGroup", "RetroArchLabel", "RetroArchProgram", "BrowseRetroArch",
     "RetroArchCoreLabel", "RetroArchCore", "BrowseCore", "RunNote"},
    {"MednafenGroup", "MednafenLabel", "MednafenProgram", "BrowseMednafen", "RunNote"},
    {"OtherGroup", "OtherCommandLabel", "OtherCommand", "OtherPreset", "OtherFormatsLabel",
     "OtherIps", "OtherBps", "OtherUps", "OtherNote"},
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

CZsnesPage::CZsnesPage(const CPatchDB& db, UserPrompt& prompt, QWidget* parent,
                       const InstalledEmulators& installed)
    : QWidget(parent), m_chooseFolder([&prompt](QWidget* owner, const std::string& start) {
        return PickFolder(prompt, owner, start);
      }) {
  CreateWidgets();
  LoadFields(db, installed);
  ConnectWidgets();
}

void CZsnesPage::CreateWidgets() {
  CreateControls(*this, kControls);
  m_directory = findChild<QLineEdit*>("ZsnesDirectory");
  m_version = findChild<QComboBox*>("ZsnesVersion");
  m_saveWithPatches = findChild<QCheckBox*>("SaveWithPatches");
  m_executable = findChild<QLineEdit*>("ZsnesExecutable");
  m_config = findChild<QLineEdit*>("ZsnesConfig");
  m_emulator = findChild<QComboBox*>("EmulatorChoice");
  m_retroArch = findChild<QLineEdit*>("RetroArchProgram");
  m_retroArchCore = findChild<QComboBox*>("RetroArchCore");
  m_mednafen = findChild<QLineEdit*>("MednafenProgram");
  CreateOtherWidgets();
  for (const char* version : kVersions)
    m_version->addItem(version);
  for (const char* emulator : kEmulators)
    m_emulator->addItem(emulator);
  for (int kind = 0; kind < kEmulatorCount; ++kind) {
    for (const char* name : kEmulatorWidgetNames[kind])
      m_emulatorWidgets[kind].push_back(findChild<QWidget*>(name));
  }
  // The check box's text ends at its tab: what follows explains it, as its tool tip.
  const QString text = m_saveWithPatches->text();
  m_saveWithPatches->setText(text.section('\t', 0, 0));
  m_zsnesSaveToolTip = text.section('\t', 1);
  m_saveWithPatches->setToolTip(m_zsnesSaveToolTip);
}

void CZsnesPage::LoadFields(const CPatchDB& db, const InstalledEmulators& installed) {
  // The stored paths are shown as they are, even where they differ from the derived ones.
  const QSignalBlocker blockDirectory(m_directory), blockVersion(m_version);
  ZsnesForm form = ReadZsnesForm(db);
  // A ZSNES installed by the system's package manager is offered until one is configured.
  SuggestZsnesOnPath(form, installed.zsnes, GetPasswordHomeFolder());
  m_directoryShown = form.directory;
  m_executableShown = form.executable;
  m_configShown = form.config;
  ShowPath(m_directory, form.directory);
  m_version->setCurrentIndex(form.variant);
  ShowPath(m_executable, form.executable);
  ShowPath(m_config, form.config);
  m_saveWithPatches->setChecked(form.saveWithPatches);
  LoadEmulatorFields(db, installed);
}

void CZsnesPage::ConnectWidgets() {
  // Every change of the directory, typed or browsed, and of the build derives the names again.
  connect(m_directory, &QLineEdit::textChanged, this, &CZsnesPage::DeriveFileNames);
  connect(m_version, &QComboBox::currentIndexChanged, this, &CZsnesPage::DeriveFileNames);
  connect(findChild<QPushButton*>("Browse"), &QPushButton::clicked, this, &CZsnesPage::Browse);
  // Any change of ZSNES's fields counts as the user's, since LoadFields blocked its own.
  const auto zsnesEdited = [this] { m_edited[static_cast<int>(EmulatorKind::Zsnes)] = true; };
  for (QLineEdit* edit : {m_directory, m_executable, m_config})
    connect(edit, &QLineEdit::textEdited, this, zsnesEdited);
  connect(m_version, &QComboBox::currentIndexChanged, this, zsnesEdited);
  ConnectEmulatorFields();
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
  ShowPath(m_executable, files->executable);
  ShowPath(m_config, files->config);
}

void CZsnesPage::Browse() {
  if (const auto folder = m_chooseFolder(this, DirectoryPath())) {
    m_edited[static_cast<int>(EmulatorKind::Zsnes)] = true;
    SetDirectory(*folder);
  }
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
  m_directory->setCursorPosition(0);
}

void CZsnesPage::Store(CPatchDB& db) const {
  const auto chosen = static_cast<EmulatorKind>(m_emulator->currentIndex());
  // ZSNES's fields go back as they always did while ZSNES is chosen; with another emulator
  // chosen, only when the user changed them.
  if (chosen == EmulatorKind::Zsnes || m_edited[static_cast<int>(EmulatorKind::Zsnes)]) {
    // A leading "~" is the home folder in each of the three paths; the emulator is started and
    // its configuration found without a shell, which would have read it so.
    ApplyZsnesForm(
        {DirectoryPath(), m_version->currentIndex(),
         ExpandHome(PathBytes(m_executable->text(), m_executableShown)),
         ExpandHome(PathBytes(m_config->text(), m_configShown)), m_saveWithPatches->isChecked()},
        db);
  } else {
    db.UseSaveDir = !m_saveWithPatches->isChecked();
  }
  StoreEmulatorFields(chosen, db);
}
