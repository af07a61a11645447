#include "dialogs/CPatchSetInfoDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "db/CPatchDB.h"
#include "db/PatchInfoForm.h"
#include "dialogs/InfoFields.h"
#include "dialogs/PatchSetTexts.h"
#include "ui/CDialogUnits.h"
#include "ui/DialogLayout.h"
#include "ui/DisplayText.h"

namespace {

constexpr int kNone = -1;

// The patch's dialog, with the set's patches where a patch has its file, and what names the
// set's saves or was chosen with its patches shown only.
constexpr ControlRow kControls[] = {
    {kNone, ControlKind::GroupBox, "PatchSetInfoGroup", "Patch Set Info", 7, 7, 333, 112},
    {kNone, ControlKind::Label, "SetNameLabel", "Set Name:", 15, 21, 44, 8},
    {kNone, ControlKind::ReadOnlyEdit, "SetName", "", 61, 18, 120, 14},
    {kNone, ControlKind::Label, "AuthorLabel", "Author:", 189, 21, 26, 8},
    {1017, ControlKind::Edit, "Author", "", 217, 18, 111, 14},
    {kNone, ControlKind::Label, "VersionLabel", "Version:", 15, 39, 44, 8},
    {1018, ControlKind::Edit, "Version", "", 61, 36, 120, 14},
    {kNone, ControlKind::Label, "PatchesLabel", "Patches:", 15, 57, 44, 8},
    {kNone, ControlKind::ListBox, "Patches", "", 61, 54, 267, 58},
    {kNone, ControlKind::GroupBox, "TargetRomGroup", "Target ROM", 7, 122, 333, 28},
    {kNone, ControlKind::Label, "RomNameLabel", "ROM Name:", 15, 134, 44, 8},
    {kNone, ControlKind::ReadOnlyEdit, "RomName", "", 61, 131, 120, 14},
    {kNone, ControlKind::Label, "SizeLabel", "Size:", 195, 134, 20, 8},
    {kNone, ControlKind::ReadOnlyEdit, "Size", "", 217, 131, 111, 14},
    {kNone, ControlKind::GroupBox, "DescriptionGroup", "Description", 7, 153, 333, 60},
    {1012, ControlKind::MultiLineEdit, "Description", "", 15, 163, 313, 44},
    {1, ControlKind::DefaultPushButton, "OK", "OK", 203, 218, 83, 14},
    {2, ControlKind::PushButton, "Cancel", "Cancel", 290, 218, 50, 14},
    {1035, ControlKind::Label, "LockNotice",
     "Note: Editing of patch information is disabled.  See Preferences for details.", 7, 218, 279,
     14},
};

}  // namespace

CPatchSetInfoDlg::CPatchSetInfoDlg(PatchSetRecord& set, const CPatchDB& db, bool allowEdit,
                                   QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_set(set),
      m_allowEdit(allowEdit) {
  CreateWidgets();
  LoadFields(db);
  ConnectWidgets();
}

void CPatchSetInfoDlg::CreateWidgets() {
  setWindowTitle("Patch Information");
  setFixedSize(CDialogUnits().ToPixels(0, 0, 347, 239).size());
  CreateControls(*this, kControls);
  m_author = findChild<QLineEdit*>("Author");
  m_version = findChild<QLineEdit*>("Version");
  m_description = findChild<QPlainTextEdit*>("Description");
  m_ok = findChild<QPushButton*>("OK");
  m_lockNotice = findChild<QLabel*>("LockNotice");

  m_description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  SetUpLockNotice(*m_lockNotice);
}

void CPatchSetInfoDlg::LoadFields(const CPatchDB& db) {
  const QSignalBlocker blockers[] = {QSignalBlocker(m_author), QSignalBlocker(m_version),
                                     QSignalBlocker(m_description)};
  findChild<QLineEdit*>("SetName")->setText(DisplayText(m_set.SetName));
  m_author->setText(DisplayText(m_set.Author));
  m_version->setText(DisplayText(m_set.Version));
  auto* patches = findChild<QListWidget*>("Patches");
  for (const std::string& filename : m_set.Patches)
    patches->addItem(DisplayText(PatchSetEntryText(db, filename)));
  findChild<QLineEdit*>("RomName")->setText(DisplayText(m_set.RomName));
  findChild<QLineEdit*>("Size")->setText(DisplayText(m_set.RomSize));
  m_description->setPlainText(DisplayText(m_set.Description));
  m_ok->setEnabled(m_allowEdit);
}

void CPatchSetInfoDlg::ConnectWidgets() {
  connect(m_ok, &QPushButton::clicked, this, &CPatchSetInfoDlg::accept);
  connect(findChild<QPushButton*>("Cancel"), &QPushButton::clicked, this,
          &CPatchSetInfoDlg::reject);
  for (QLineEdit* edit : {m_author, m_version})
    connect(edit, &QLineEdit::textChanged, this, &CPatchSetInfoDlg::OnFieldChanged);
  connect(m_description, &QPlainTextEdit::textChanged, this, &CPatchSetInfoDlg::OnFieldChanged);
}

void CPatchSetInfoDlg::OnFieldChanged() {
  if (m_allowEdit)
    return;
  m_ok->hide();
  m_lockNotice->show();
}

void CPatchSetInfoDlg::accept() {
  if (!m_ok->isEnabled() || m_ok->isHidden())
    return;
  PatchSetInfoForm form;
  form.Author = EditedBytes(*m_author, m_set.Author);
  form.Version = EditedBytes(*m_version, m_set.Version);
  form.Description = EditedBytes(*m_description, m_set.Description);
  ApplyPatchSetInfo(form, m_set);
  QDialog::accept();
}
