// The emulator page's choice of emulator, the fields of RetroArch and Mednafen, and the
// Browse buttons of the program and core fields.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

#include "db/CPatchDB.h"
#include "dialogs/CZsnesPage.h"
#include "platform/Path.h"
#include "ui/DisplayText.h"

namespace {

// The desktop's file dialog, at the file in the field (or its folder, or the home folder).
std::optional<std::string> ChooseFile(QWidget* parent, const QString& title,
                                      const std::string& start) {
  QFileDialog dialog(parent, title);
  dialog.setFileMode(QFileDialog::ExistingFile);
  const QString path = QFile::decodeName(QByteArray::fromStdString(start));
  const QFileInfo info(path);
  if (!start.empty() && info.isFile())
    dialog.selectFile(info.absoluteFilePath());
  else if (!start.empty() && info.absoluteDir().exists())
    dialog.setDirectory(info.absoluteDir());
  else
    dialog.setDirectory(QDir::home());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::nullopt;
  return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

}  // namespace

void CZsnesPage::ShowPath(QLineEdit* field, const std::string& bytes) {
  field->setText(PathText(bytes));
  field->setCursorPosition(0);
}

bool CZsnesPage::BrowseFile(QLineEdit* field, std::string& shown, const QString& title) {
  const std::string start = ExpandHome(PathBytes(field->text(), shown));
  const auto chosen = (m_chooseFile ? m_chooseFile : ChooseFile)(this, title, start);
  if (!chosen)
    return false;
  shown = *chosen;
  ShowPath(field, *chosen);
  return true;
}

void CZsnesPage::ConnectBrowseButtons() {
  const auto button = [this](const char* name) { return findChild<QPushButton*>(name); };
  bool* edited = m_edited;
  connect(button("BrowseRetroArch"), &QPushButton::clicked, this, [this, edited] {
    if (BrowseFile(m_retroArch, m_retroArchShown, "Choose the RetroArch program"))
      edited[static_cast<int>(EmulatorKind::RetroArch)] = true;
  });
  connect(button("BrowseCore"), &QPushButton::clicked, this, [this, edited] {
    if (BrowseFile(m_retroArchCore->lineEdit(), m_retroArchCoreShown, "Choose the RetroArch core"))
      edited[static_cast<int>(EmulatorKind::RetroArch)] = true;
  });
  connect(button("BrowseMednafen"), &QPushButton::clicked, this, [this, edited] {
    if (BrowseFile(m_mednafen, m_mednafenShown, "Choose the Mednafen program"))
      edited[static_cast<int>(EmulatorKind::Mednafen)] = true;
  });
  connect(button("BrowseExecutable"), &QPushButton::clicked, this, [this, edited] {
    if (BrowseFile(m_executable, m_executableShown, "Choose the ZSNES program"))
      edited[static_cast<int>(EmulatorKind::Zsnes)] = true;
  });
  connect(button("BrowseConfig"), &QPushButton::clicked, this, [this, edited] {
    if (BrowseFile(m_config, m_configShown, "Choose the ZSNES configuration file"))
      edited[static_cast<int>(EmulatorKind::Zsnes)] = true;
  });
}

void CZsnesPage::LoadEmulatorFields(const CPatchDB& db, const InstalledEmulators& installed) {
  const QSignalBlocker blockEmulator(m_emulator), blockCore(m_retroArchCore);
  const EmulatorForm form = ReadEmulatorForm(db, installed);
  m_emulator->setCurrentIndex(static_cast<int>(form.emulator));
  m_retroArchShown = form.retroArch;
  m_retroArchCoreShown = form.retroArchCore;
  m_mednafenShown = form.mednafen;
  ShowPath(m_retroArch, form.retroArch);
  for (const std::string& core : installed.cores)
    m_retroArchCore->addItem(PathText(core), QByteArray::fromStdString(core));
  m_retroArchCore->setCurrentIndex(
      m_retroArchCore->findData(QByteArray::fromStdString(form.retroArchCore)));
  m_retroArchCore->setEditText(PathText(form.retroArchCore));
  m_retroArchCore->lineEdit()->setCursorPosition(0);
  ShowPath(m_mednafen, form.mednafen);
  LoadOtherFields(form, installed);
  ShowEmulatorFields();
}

void CZsnesPage::ConnectEmulatorFields() {
  connect(m_emulator, &QComboBox::currentIndexChanged, this, &CZsnesPage::ShowEmulatorFields);
  bool* retroArchEdited = &m_edited[static_cast<int>(EmulatorKind::RetroArch)];
  const auto markRetroArch = [retroArchEdited] { *retroArchEdited = true; };
  connect(m_retroArch, &QLineEdit::textEdited, this, markRetroArch);
  connect(m_retroArchCore->lineEdit(), &QLineEdit::textEdited, this, markRetroArch);
  // A core picked from the list: the bytes it was found under.
  connect(m_retroArchCore, &QComboBox::activated, this, [this, retroArchEdited](int index) {
    m_retroArchCoreShown = m_retroArchCore->itemData(index).toByteArray().toStdString();
    m_retroArchCore->lineEdit()->setCursorPosition(0);
    *retroArchEdited = true;
  });
  bool* mednafenEdited = &m_edited[static_cast<int>(EmulatorKind::Mednafen)];
  connect(m_mednafen, &QLineEdit::textEdited, this, [mednafenEdited] { *mednafenEdited = true; });
  ConnectOtherFields();
  ConnectBrowseButtons();
}

void CZsnesPage::ShowEmulatorFields() {
  // Hidden first: a widget that two emulators share shows for either.
  for (int kind = 0; kind < kEmulatorCount; ++kind) {
    for (QWidget* widget : m_emulatorWidgets[kind])
      widget->hide();
  }
  for (QWidget* widget : m_emulatorWidgets[m_emulator->currentIndex()])
    widget->show();
  // Where the saves go otherwise is the chosen emulator's own business.
  const auto kind = static_cast<EmulatorKind>(m_emulator->currentIndex());
  m_saveWithPatches->setToolTip(
      kind == EmulatorKind::Zsnes
          ? m_zsnesSaveToolTip
          : QString("If this option is checked, save games will be stored in the same directory "
                    "as the patch files. Otherwise, save games will be stored in %1's own save "
                    "directory.")
                .arg(EmulatorName(kind)));
  // The keyboard starts in the chosen emulator's first field.
  constexpr const char* kFirstFields[kEmulatorCount] = {"ZsnesDirectory", "RetroArchProgram",
                                                        "MednafenProgram", "OtherCommand"};
  setFocusProxy(findChild<QWidget*>(kFirstFields[m_emulator->currentIndex()]));
}

void CZsnesPage::StoreEmulatorFields(EmulatorKind chosen, CPatchDB& db) const {
  const EmulatorForm form{
      chosen,
      ExpandHome(PathBytes(m_retroArch->text(), m_retroArchShown)),
      ExpandHome(PathBytes(m_retroArchCore->currentText(), m_retroArchCoreShown)),
      ExpandHome(PathBytes(m_mednafen->text(), m_mednafenShown)),
      OtherCommandBytes(),
      OtherFormatsValue()};
  ApplyEmulatorForm(form, m_edited, db);
}
