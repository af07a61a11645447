#include "dialogs/CRomInfoDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "db/CPatchDB.h"
#include "db/RomInfoForm.h"
#include "db/SizeWord.h"
#include "dialogs/InfoFields.h"
#include "platform/ArchivePath.h"
#include "prompt/Diagnostics.h"
#include "ui/Artwork.h"
#include "ui/CDialogUnits.h"
#include "ui/CStatusText.h"
#include "ui/DialogLayout.h"
#include "ui/DisplayText.h"

namespace {

constexpr char kParenNote[] =
    "Note: The ROM name contains an item in parentheses, which is currently being ignored.\nSee "
    "ROM Preferences for details.";
constexpr int kLeprechaunPress = 5;

enum Control : int {
  kNone = -1,
  kOk = 1,
  kCancel = 2,
  kSize = 1013,
  kRomName = 1014,
  kFilename = 1015,
  kDigest = 1019,
  kHeader = 1020,
  kForce = 1022,
  kForcedName = 1040,
  kRecompute = 1043,
  kLeprechaun = 1044,
};

constexpr ControlRow kControls[] = {
    {kNone, ControlKind::GroupBox, "InfoGroup", "Info", 7, 7, 317, 111},
    {kNone, ControlKind::Label, "RomIcon", "", 23, 18, 21, 20},  // in place of the name's label
    {kRomName, ControlKind::ReadOnlyEdit, "RomName", "", 58, 19, 126, 14},
    {kSize, ControlKind::DropDownList, "Size", "", 192, 20, 60, 30},
    {kHeader, ControlKind::CheckBox, "Header", "Has &Header", 257, 22, 51, 10},
    {kNone, ControlKind::Label, "FilenameLabel", "Filename:", 13, 49, 44, 8},
    {kFilename, ControlKind::ReadOnlyEdit, "Filename", "", 58, 46, 255, 14},
    {kNone, ControlKind::Label, "RomDigestLabel", "MD5 Digest:", 13, 67, 44, 8},
    {kDigest, ControlKind::ReadOnlyEdit, "RomDigest", "", 58, 64, 255, 14},
    {kNone, ControlKind::GroupBox, "OptionsGroup", "Options", 7, 122, 317, 51},
    {kForce, ControlKind::CheckBox, "UseForcedName", "Force ROM to have this name:", 17, 136, 115,
     10},
    {kForcedName, ControlKind::Edit, "ForcedName", "", 17, 149, 120, 14},
    {kRecompute, ControlKind::PushButton, "Recompute", "Recompute MD5 Digest", 216, 135, 98, 14},
    {kLeprechaun, ControlKind::PushButton, "Leprechaun", "Leprechaun", 216, 154, 98, 14},
    {kOk, ControlKind::DefaultPushButton, "OK", "OK", 217, 182, 50, 14},
    {kCancel, ControlKind::PushButton, "Cancel", "Cancel", 274, 182, 50, 14},
};

// The status text, which reports clicks: placed on its own, over the Info group.
constexpr QRect kStatusRect(24, 88, 283, 20);

}  // namespace

CRomInfoDlg::CRomInfoDlg(RomRecord& rom, CPatchDB& db, UserPrompt& prompt, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_rom(rom),
      m_db(db),
      m_prompt(prompt),
      m_digest(rom.RomDigest) {
  CreateWidgets();
  LoadFields();
  ConnectWidgets();
}

void CRomInfoDlg::CreateWidgets() {
  setWindowTitle("ROM Information");
  setWindowIcon(GetRomIcon());
  const CDialogUnits units;
  setFixedSize(units.ToPixels(0, 0, 331, 203).size());
  CreateControls(*this, kControls);
  m_romName = findChild<QLineEdit*>("RomName");
  m_size = findChild<QComboBox*>("Size");
  m_header = findChild<QCheckBox*>("Header");
  m_filename = findChild<QLineEdit*>("Filename");
  m_digestEdit = findChild<QLineEdit*>("RomDigest");
  m_force = findChild<QCheckBox*>("UseForcedName");
  m_forcedName = findChild<QLineEdit*>("ForcedName");
  m_recompute = findChild<QPushButton*>("Recompute");
  m_leprechaun = findChild<QPushButton*>("Leprechaun");

  auto* icon = findChild<QLabel*>("RomIcon");
  icon->setPixmap(GetRomIcon().pixmap(icon->size()));
  for (int i = 0; i < static_cast<int>(kRomSizeList.size()); ++i)
    m_size->addItem(QString::fromStdString(RomSizeListText(i)));
  m_size->setEnabled(false);
  m_header->setEnabled(false);
  m_leprechaun->hide();
  m_status = new CStatusText(this);
  m_status->setObjectName("Status");
  m_status->SetText("\nEverything is fine.");
  m_status->setGeometry(units.ToPixels(kStatusRect));
}

void CRomInfoDlg::LoadFields() {
  m_romName->setText(DisplayText(m_rom.RomName));
  m_filename->setText(DisplayText(m_rom.Filename));
  // The field holds both names; spelled out, as a reader of "Game.zip#Game.sfc" may not know.
  if (const auto member = SplitArchivePath(m_rom.Filename)) {
    m_filename->setToolTip(QString("Archive: %1\nFile in the archive: %2")
                               .arg(DisplayText(member->archive), DisplayText(member->member)));
  }
  m_size->setCurrentIndex(RomSizeListIndex(m_rom.SizeWord));
  m_header->setChecked(HasHeader(m_rom.SizeWord));
  m_digestEdit->setText(DisplayText(m_rom.RomDigest));
  m_forcedName->setText(DisplayText(m_rom.ForcedName));
  m_force->setChecked(m_rom.UseForcedName);
  m_forcedName->setEnabled(m_rom.UseForcedName);
  if (m_db.IgnoreParens && CPatchDB::StripParens(m_rom.RomName) != m_rom.RomName) {
    m_status->SetText(kParenNote);
    m_status->SetNote(true);
  }
  ColourFields();
}

void CRomInfoDlg::ConnectWidgets() {
  connect(findChild<QPushButton*>("OK"), &QPushButton::clicked, this, &CRomInfoDlg::accept);
  connect(findChild<QPushButton*>("Cancel"), &QPushButton::clicked, this, &CRomInfoDlg::reject);
  connect(m_force, &QCheckBox::toggled, m_forcedName, &QLineEdit::setEnabled);
  connect(m_recompute, &QPushButton::clicked, this, &CRomInfoDlg::Recompute);
  connect(m_leprechaun, &QPushButton::clicked, this, &CRomInfoDlg::ShowLuckyCharms);
  connect(m_status, &CStatusText::Clicked, this, [this] { ShowPlainMessage(m_prompt, "Moo!"); });
}

void CRomInfoDlg::ColourFields() {
  // The identification reads like text on the window, whatever the state of its controls.
  const QPalette base = palette();
  const QColor text = base.color(QPalette::Active, QPalette::ButtonText);
  const QColor window = base.color(QPalette::Active, QPalette::Base);
  const auto paint = [&](QWidget* control, const QColor& textColour) {
    QPalette colours = control->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
      colours.setColor(group, QPalette::Text, textColour);
      colours.setColor(group, QPalette::ButtonText, textColour);
      colours.setColor(group, QPalette::Base, window);
    }
    control->setPalette(colours);
  };
  paint(m_romName, text);
  paint(m_size, text);
  paint(m_filename, text);
  paint(m_digestEdit, m_digestMismatch ? QColor(255, 0, 0) : text);
}

void CRomInfoDlg::Recompute() {
  m_digest = m_db.GetFileHash(m_rom.Filename);
  // Compared with the stored digest, not the one shown: once red, red until the dialog closes.
  if (m_digest != m_rom.RomDigest && !m_digestMismatch) {
    m_digestMismatch = true;
    ColourFields();
  }
  m_digestEdit->setText(DisplayText(m_digest));
  if (++m_recomputeCount == kLeprechaunPress)
    m_leprechaun->show();
}

void CRomInfoDlg::ShowLuckyCharms() {
  ShowPlainMessage(m_prompt, "They're always after me lucky charms!");
  m_leprechaun->hide();
}

void CRomInfoDlg::accept() {
  RomInfoForm form;
  form.ForcedName = EditedBytes(*m_forcedName, m_rom.ForcedName);
  form.UseForcedName = m_force->isChecked();
  form.RomDigest = m_digest;
  ApplyRomInfo(form, m_rom);
  QDialog::accept();
}
