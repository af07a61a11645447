#include "dialogs/CZsnesPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "db/CPatchDB.h"
#include "db/ZsnesSettings.h"
#include "dialogs/CFolderDlg.h"
#include "platform/Folders.h"
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
    {CZsnesPage::kRetroArch, ControlKind::Edit, "RetroArchProgram", "", 69, 34, 224, 14},
    {-1, ControlKind::Label, "RetroArchCoreLabel", "Core:", 14, 53, 51, 8},
    {CZsnesPage::kRetroArchCore, ControlKind::DropDownCombo, "RetroArchCore", "", 69, 51, 224, 60},
    {-1, ControlKind::GroupBox, "MednafenGroup", "Mednafen", 7, 23, 290, 51},
    {-1, ControlKind::Label, "MednafenLabel", "Program:", 14, 36, 51, 8},
    {CZsnesPage::kMednafen, ControlKind::Edit, "MednafenProgram", "", 69, 34, 224, 14},
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
    {CZsnesPage::kExecutable, ControlKind::Edit, "ZsnesExecutable", "", 84, 135, 203, 14},
    {-1, ControlKind::Label, "ConfigLabel", "ZSNES Config file:", 14, 155, 60, 8},
    {CZsnesPage::kConfig, ControlKind::Edit, "ZsnesConfig", "", 84, 153, 203, 14},
};

// In the order of EmulatorKind.
constexpr const char* kEmulators[] = {"ZSNES", "RetroArch (bsnes-mercury)", "Mednafen"};
// Each emulator's widgets, by object name, in the order of EmulatorKind.
const std::vector<const char*> kEmulatorWidgetNames[kEmulatorCount] = {
    {"InstallationGroup", "DirectoryLabel", "ZsnesDirectory", "Browse", "VersionLabel",
     "ZsnesVersion", "FillNote", "ExecutableLabel", "ZsnesExecutable", "ConfigLabel",
     "ZsnesConfig"},
    {"RetroArchGroup", "RetroArchLabel", "RetroArchProgram", "RetroArchCoreLabel", "RetroArchCore"},
    {"MednafenGroup", "MednafenLabel", "MednafenProgram"},
};

// In the order of ZsnesVariant.
constexpr const char* kVersions[] = {"ZSNESW (Windows)", "ZSNES (DOS)", "ZSNES (Linux)"};

std::optional<std::string> PickFolder(UserPrompt& prompt, QWidget* parent) {
  CFolderDlg picker(prompt, {}, parent);
  if (picker.exec() != QDialog::Accepted)
    return std::nullopt;
  return picker.GetFolder();
}

}  // namespace

CZsnesPage::CZsnesPage(const CPatchDB& db, UserPrompt& prompt, QWidget* parent,
                       const InstalledEmulators& installed)
    : QWidget(parent),
      m_chooseFolder([&prompt](QWidget* owner) { return PickFolder(prompt, owner); }) {
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
  m_saveWithPatches->setToolTip(text.section('\t', 1));
}

void CZsnesPage::LoadFields(const CPatchDB& db, const InstalledEmulators& installed) {
  // The stored paths are shown as they are, even where they differ from the derived ones.
  const QSignalBlocker blockDirectory(m_directory), blockVersion(m_version),
      blockEmulator(m_emulator), blockCore(m_retroArchCore);
  ZsnesForm form = ReadZsnesForm(db);
  // A ZSNES installed by the system's package manager is offered until one is configured.
  SuggestZsnesOnPath(form, installed.zsnes, GetPasswordHomeFolder());
  m_directoryBytes = form.directory;
  m_executableBytes = form.executable;
  m_configBytes = form.config;
  m_directory->setText(DisplayText(form.directory));
  m_version->setCurrentIndex(form.variant);
  m_executable->setText(DisplayText(form.executable));
  m_config->setText(DisplayText(form.config));
  m_saveWithPatches->setChecked(form.saveWithPatches);

  const EmulatorForm emulators = ReadEmulatorForm(db, installed);
  m_emulator->setCurrentIndex(static_cast<int>(emulators.emulator));
  m_retroArchBytes = emulators.retroArch;
  m_retroArchCoreBytes = emulators.retroArchCore;
  m_mednafenBytes = emulators.mednafen;
  m_retroArch->setText(DisplayText(emulators.retroArch));
  for (const std::string& core : installed.cores)
    m_retroArchCore->addItem(DisplayText(core), QByteArray::fromStdString(core));
  m_retroArchCore->setCurrentIndex(
      m_retroArchCore->findData(QByteArray::fromStdString(emulators.retroArchCore)));
  m_retroArchCore->setEditText(DisplayText(emulators.retroArchCore));
  m_mednafen->setText(DisplayText(emulators.mednafen));
  ShowEmulatorFields();
}

void CZsnesPage::ShowEmulatorFields() {
  // Hidden first: a widget that two emulators share shows for either.
  for (int kind = 0; kind < kEmulatorCount; ++kind) {
    for (QWidget* widget : m_emulatorWidgets[kind])
      widget->hide();
  }
  for (QWidget* widget : m_emulatorWidgets[m_emulator->currentIndex()])
    widget->show();
}

void CZsnesPage::ConnectWidgets() {
  connect(m_directory, &QLineEdit::textEdited, this,
          [this](const QString& text) { m_directoryBytes = TypedBytes(text); });
  connect(m_executable, &QLineEdit::textEdited, this,
          [this](const QString& text) { m_executableBytes = TypedBytes(text); });
  connect(m_config, &QLineEdit::textEdited, this,
          [this](const QString& text) { m_configBytes = TypedBytes(text); });
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

void CZsnesPage::ConnectEmulatorFields() {
  connect(m_emulator, &QComboBox::currentIndexChanged, this, &CZsnesPage::ShowEmulatorFields);
  bool* retroArchEdited = &m_edited[static_cast<int>(EmulatorKind::RetroArch)];
  bool* mednafenEdited = &m_edited[static_cast<int>(EmulatorKind::Mednafen)];
  connect(m_retroArch, &QLineEdit::textEdited, this, [this, retroArchEdited](const QString& text) {
    m_retroArchBytes = TypedBytes(text);
    *retroArchEdited = true;
  });
  connect(m_retroArchCore->lineEdit(), &QLineEdit::textEdited, this,
          [this, retroArchEdited](const QString& text) {
            m_retroArchCoreBytes = TypedBytes(text);
            *retroArchEdited = true;
          });
  // A core picked from the list: the bytes it was found under.
  connect(m_retroArchCore, &QComboBox::activated, this, [this, retroArchEdited](int index) {
    m_retroArchCoreBytes = m_retroArchCore->itemData(index).toByteArray().toStdString();
    *retroArchEdited = true;
  });
  connect(m_mednafen, &QLineEdit::textEdited, this, [this, mednafenEdited](const QString& text) {
    m_mednafenBytes = TypedBytes(text);
    *mednafenEdited = true;
  });
}

void CZsnesPage::DeriveFileNames() {
  const auto files =
      DeriveZsnesFiles(m_directoryBytes, m_version->currentIndex(), GetPasswordHomeFolder());
  if (!files)
    return;
  m_executableBytes = files->executable;
  m_configBytes = files->config;
  m_executable->setText(DisplayText(files->executable));
  m_config->setText(DisplayText(files->config));
}

void CZsnesPage::Browse() {
  if (const auto folder = m_chooseFolder(this)) {
    m_edited[static_cast<int>(EmulatorKind::Zsnes)] = true;
    SetDirectory(*folder);
  }
}

void CZsnesPage::SetDirectory(const std::string& bytes) {
  m_directoryBytes = bytes;
  const QString text = DisplayText(bytes);
  // Choosing the folder already shown still derives the names afresh, though the field's text
  // does not change.
  if (m_directory->text() == text)
    DeriveFileNames();
  else
    m_directory->setText(text);
}

void CZsnesPage::Store(CPatchDB& db) const {
  const EmulatorForm emulators{static_cast<EmulatorKind>(m_emulator->currentIndex()),
                               m_retroArchBytes, m_retroArchCoreBytes, m_mednafenBytes};
  // ZSNES's fields go back as they always did while ZSNES is chosen; with another emulator
  // chosen, only when the user changed them.
  if (emulators.emulator == EmulatorKind::Zsnes ||
      m_edited[static_cast<int>(EmulatorKind::Zsnes)]) {
    ApplyZsnesForm({m_directoryBytes, m_version->currentIndex(), m_executableBytes, m_configBytes,
                    m_saveWithPatches->isChecked()},
                   db);
  } else {
    db.UseSaveDir = !m_saveWithPatches->isChecked();
  }
  ApplyEmulatorForm(emulators, m_edited, db);
}
