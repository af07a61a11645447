// The emulator page's choice of emulator, and the fields of RetroArch and Mednafen.
#include <QComboBox>
#include <QLineEdit>

#include "db/CPatchDB.h"
#include "dialogs/CZsnesPage.h"
#include "platform/Path.h"
#include "ui/DisplayText.h"

void CZsnesPage::LoadEmulatorFields(const CPatchDB& db, const InstalledEmulators& installed) {
  const QSignalBlocker blockEmulator(m_emulator), blockCore(m_retroArchCore);
  const EmulatorForm form = ReadEmulatorForm(db, installed);
  m_emulator->setCurrentIndex(static_cast<int>(form.emulator));
  m_retroArchShown = form.retroArch;
  m_retroArchCoreShown = form.retroArchCore;
  m_mednafenShown = form.mednafen;
  m_retroArch->setText(PathText(form.retroArch));
  for (const std::string& core : installed.cores)
    m_retroArchCore->addItem(PathText(core), QByteArray::fromStdString(core));
  m_retroArchCore->setCurrentIndex(
      m_retroArchCore->findData(QByteArray::fromStdString(form.retroArchCore)));
  m_retroArchCore->setEditText(PathText(form.retroArchCore));
  m_mednafen->setText(PathText(form.mednafen));
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
    *retroArchEdited = true;
  });
  bool* mednafenEdited = &m_edited[static_cast<int>(EmulatorKind::Mednafen)];
  connect(m_mednafen, &QLineEdit::textEdited, this, [mednafenEdited] { *mednafenEdited = true; });
  ConnectOtherFields();
}

void CZsnesPage::ShowEmulatorFields() {
  // Hidden first: a widget that two emulators share shows for either.
  for (int kind = 0; kind < kEmulatorCount; ++kind) {
    for (QWidget* widget : m_emulatorWidgets[kind])
      widget->hide();
  }
  for (QWidget* widget : m_emulatorWidgets[m_emulator->currentIndex()])
    widget->show();
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
