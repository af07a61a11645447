#include "dialogs/CPatchInfoDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "db/SizeWord.h"
#include "dialogs/InfoFields.h"
#include "ui/CDialogUnits.h"
#include "ui/DialogLayout.h"
#include "ui/DisplayText.h"

namespace {

enum Control : int {
  kNone = -1,
  kOk = 1,
  kCancel = 2,
  kDescription = 1012,
  kSize = 1013,
  kRomName = 1014,
  kFilename = 1015,
  kPatchName = 1016,
  kAuthor = 1017,
  kVersion = 1018,
  kDigest = 1019,
  kHeader = 1020,
  kLockNotice = 1035,
};

constexpr ControlRow kControls[] = {
    {kNone, ControlKind::GroupBox, "PatchInfoGroup", "Patch Info", 7, 7, 333, 70},
    {kNone, ControlKind::Label, "PatchNameLabel", "Patch Name:", 15, 21, 44, 8},
    {kPatchName, ControlKind::Edit, "PatchName", "", 61, 18, 120, 14},
    {kNone, ControlKind::Label, "AuthorLabel", "Author:", 189, 21, 26, 8},
    {kAuthor, ControlKind::Edit, "Author", "", 217, 18, 111, 14},
    {kNone, ControlKind::Label, "VersionLabel", "Version:", 15, 39, 44, 8},
    {kVersion, ControlKind::Edit, "Version", "", 61, 36, 120, 14},
    {kNone, ControlKind::Label, "FilenameLabel", "Filename:", 15, 59, 44, 8},
    {kFilename, ControlKind::ReadOnlyEdit, "Filename", "", 61, 56, 267, 14},
    {kNone, ControlKind::GroupBox, "TargetRomGroup", "Target ROM", 7, 80, 333, 48},
    {kNone, ControlKind::Label, "RomNameLabel", "ROM Name:", 15, 93, 44, 8},
    {kRomName, ControlKind::Edit, "RomName", "", 61, 90, 120, 14},
    {kNone, ControlKind::Label, "SizeLabel", "Size:", 195, 93, 20, 8},
    {kSize, ControlKind::DropDownList, "Size", "", 217, 90, 60, 30},
    {kHeader, ControlKind::CheckBox, "Header", "&Header", 289, 92, 39, 10},
    {kNone, ControlKind::Label, "RomDigestLabel", "MD5 Hash:\n(Optional)", 15, 108, 44, 16},
    {kDigest, ControlKind::Edit, "RomDigest", "", 61, 109, 267, 14},
    {kNone, ControlKind::GroupBox, "DescriptionGroup", "Description", 7, 131, 333, 68},
    {kDescription, ControlKind::MultiLineEdit, "Description", "", 15, 141, 313, 52},
    {kOk, ControlKind::DefaultPushButton, "OK", "OK", 203, 204, 83, 14},
    {kCancel, ControlKind::PushButton, "Cancel", "Cancel", 290, 204, 50, 14},
    // On the OK button's row, covering it: shown instead of OK once a locked form is changed.
    {kLockNotice, ControlKind::Label, "LockNotice",
     "Note: Editing of patch information is disabled.  See Preferences for details.", 7, 204, 279,
     14},
};

}  // namespace

CPatchInfoDlg::CPatchInfoDlg(PatchRecord& patch, UserPrompt& prompt, bool allowEdit,
                             QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_patch(patch),
      m_prompt(prompt),
      m_allowEdit(allowEdit) {
  CreateWidgets();
  LoadFields();
  ConnectWidgets();
}

void CPatchInfoDlg::CreateWidgets() {
  setWindowTitle("Patch Information");
  setFixedSize(CDialogUnits().ToPixels(0, 0, 347, 225).size());
  CreateControls(*this, kControls);
  m_patchName = findChild<QLineEdit*>("PatchName");
  m_author = findChild<QLineEdit*>("Author");
  m_version = findChild<QLineEdit*>("Version");
  m_filename = findChild<QLineEdit*>("Filename");
  m_romName = findChild<QLineEdit*>("RomName");
  m_size = findChild<QComboBox*>("Size");
  m_header = findChild<QCheckBox*>("Header");
  m_digest = findChild<QLineEdit*>("RomDigest");
  m_description = findChild<QPlainTextEdit*>("Description");
  m_ok = findChild<QPushButton*>("OK");
  m_lockNotice = findChild<QLabel*>("LockNotice");

  for (int i = 0; i < static_cast<int>(kRomSizeList.size()); ++i)
    m_size->addItem(QString::fromStdString(RomSizeListText(i)));
  m_description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  SetUpLockNotice(*m_lockNotice);
}

void CPatchInfoDlg::LoadFields() {
  const QSignalBlocker blockers[] = {QSignalBlocker(m_patchName), QSignalBlocker(m_author),
                                     QSignalBlocker(m_version),   QSignalBlocker(m_filename),
                                     QSignalBlocker(m_romName),   QSignalBlocker(m_digest),
                                     QSignalBlocker(m_size),      QSignalBlocker(m_description)};
  m_patchName->setText(DisplayText(m_patch.PatchName));
  m_author->setText(DisplayText(m_patch.Author));
  m_version->setText(DisplayText(m_patch.Version));
  m_filename->setText(DisplayText(m_patch.Filename));
  m_romName->setText(DisplayText(m_patch.RomName));
  m_digest->setText(DisplayText(m_patch.RomDigest));
  m_header->setChecked(HasHeader(m_patch.SizeWord));
  m_size->setCurrentIndex(RomSizeListIndex(m_patch.SizeWord));
  m_description->setPlainText(DisplayText(m_patch.Description));
  m_ok->setEnabled(m_allowEdit);
}

void CPatchInfoDlg::ConnectWidgets() {
  connect(m_ok, &QPushButton::clicked, this, &CPatchInfoDlg::accept);
  connect(findChild<QPushButton*>("Cancel"), &QPushButton::clicked, this, &CPatchInfoDlg::reject);
  for (QLineEdit* edit : {m_patchName, m_author, m_version, m_romName, m_digest})
    connect(edit, &QLineEdit::textChanged, this, &CPatchInfoDlg::OnFieldChanged);
  connect(m_description, &QPlainTextEdit::textChanged, this, &CPatchInfoDlg::OnFieldChanged);
  connect(m_size, &QComboBox::currentIndexChanged, this, &CPatchInfoDlg::OnFieldChanged);
}

void CPatchInfoDlg::OnFieldChanged() {
  if (m_allowEdit)
    return;
  // Once shown, the notice stays: only Cancel can end a locked dialog.
  m_ok->hide();
  m_lockNotice->show();
}

PatchInfoForm CPatchInfoDlg::CollectForm() const {
  PatchInfoForm form;
  form.PatchName = EditedBytes(*m_patchName, m_patch.PatchName);
  form.Author = EditedBytes(*m_author, m_patch.Author);
  form.Version = EditedBytes(*m_version, m_patch.Version);
  form.RomName = EditedBytes(*m_romName, m_patch.RomName);
  form.RomDigest = EditedBytes(*m_digest, m_patch.RomDigest);
  form.Description = EditedBytes(*m_description, m_patch.Description);
  form.SizeIndex = m_size->currentIndex();
  form.Header = m_header->isChecked();
  return form;
}

void CPatchInfoDlg::accept() {
  // A locked dialog has no OK; Enter must not confirm it either.
  if (!m_ok->isEnabled() || m_ok->isHidden())
    return;
  const PatchInfoForm form = CollectForm();
  if (!ValidatePatchInfo(form, m_prompt))
    return;
  ApplyPatchInfo(form, m_patch);
  QDialog::accept();
}
