#include "dialogs/CPrefsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QSlider>

#include "db/CPatchDB.h"
#include "ui/Artwork.h"
#include "ui/CDialogUnits.h"
#include "ui/CIconBar.h"
#include "ui/DialogLayout.h"
#include "ui/DisplayText.h"

namespace {

constexpr ControlRow kControls[] = {
    {-1, ControlKind::GroupBox, "GuiOptions", "GUI Options", 7, 7, 156, 112},
    {CPrefsPage::kAlwaysOpenGui, ControlKind::CheckBox, "AlwaysOpenGUI",
     "Always open main window after playing", 15, 18, 139, 10},
    {CPrefsPage::kGridLines, ControlKind::CheckBox, "GridLines", "Show gridlines in listboxes", 15,
     30, 97, 10},
    {-1, ControlKind::Label, "TransitionLabel", "Stupid Transition Effect :D", 15, 45, 84, 8},
    {CPrefsPage::kTransition, ControlKind::DropDownList, "Transition", "", 15, 55, 141, 30},
    {-1, ControlKind::Label, "SlowLabel", "Slow", 47, 71, 16, 8},
    {CPrefsPage::kTransSpeed, ControlKind::Slider, "TransSpeed", "", 63, 71, 77, 11},
    {-1, ControlKind::Label, "FastLabel", "Fast", 142, 71, 14, 8},
    {-1, ControlKind::Label, "BackgroundLabel", "Main window BG:", 15, 88, 56, 8},
    {CPrefsPage::kWindowBackground, ControlKind::DropDownCombo, "WindowBackground", "", 15, 99, 141,
     30},
    // The icon and the list are for IPS, BPS and UPS patches alike.
    {-1, ControlKind::GroupBox, "FileIconGroup", "Patch File Icon", 169, 7, 128, 112},
    {-1, ControlKind::Label, "FileIconLabel", "Use this icon:", 181, 18, 44, 8},
    {-1, ControlKind::Label, "RebootNote",
     "Note that icon changes may require a reboot in order to display correctly.", 178, 58, 113,
     25},
    {CPrefsPage::kRegisterAtStartup, ControlKind::CheckBox, "RegisterAtStartup",
     "Register file types on startup", 178, 87, 105, 10},
    {-1, ControlKind::GroupBox, "DatabaseGroup", "Patch Database", 7, 122, 290, 54},
    {CPrefsPage::kAllowEdit, ControlKind::CheckBox, "AllowEdit", "Allow editing of patch info", 19,
     132, 97, 10},
    {-1, ControlKind::Label, "AllowEditNote",
     "Enabling this option allows you to change the properties of an installed patch through the "
     "Patch Properties Dialog.  Editing is normally disabled because of the potential to crap "
     "stuff up.",
     19, 145, 221, 25},
};

constexpr const char* kTransitions[] = {"None", "Ellipse", "Rectangle"};
constexpr const char* kBackgrounds[] = {"<None>", "%app%/EarthBound.bmp", "%app%/ZadozEziz.bmp",
                                        "%app%/ForestFire!.bmp"};
// The three icons the .ips file type can show, as FileIcon counts them from 1.
constexpr int kFileIconCount = 3;
constexpr int kIconSize = 32;

}  // namespace

CPrefsPage::CPrefsPage(const CPatchDB& db, QWidget* parent) : QWidget(parent) {
  CreateWidgets();
  LoadFields(db);
  ConnectWidgets();
}

void CPrefsPage::CreateWidgets() {
  CreateControls(*this, kControls);
  m_alwaysOpenGui = findChild<QCheckBox*>("AlwaysOpenGUI");
  m_gridLines = findChild<QCheckBox*>("GridLines");
  m_registerAtStartup = findChild<QCheckBox*>("RegisterAtStartup");
  m_allowEdit = findChild<QCheckBox*>("AllowEdit");
  m_transition = findChild<QComboBox*>("Transition");
  m_transSpeed = findChild<QSlider*>("TransSpeed");
  m_background = findChild<QComboBox*>("WindowBackground");
  for (const char* item : kTransitions)
    m_transition->addItem(item);
  for (const char* item : kBackgrounds)
    m_background->addItem(item);
  m_transSpeed->setRange(0, 100);

  for (int i = 0; i < kFileIconCount; ++i)
    m_iconImages[static_cast<size_t>(i)] = GetFileTypeIcon(i + 1).pixmap(kIconSize, kIconSize);
  m_fileIcons = new CIconBar(this);
  m_fileIcons->setObjectName("FileIcon");
  const QPoint at = CDialogUnits().FromLayoutPixels(286, 45);
  m_fileIcons->Create(at.x(), at.y(), 38, 38, kFileIconCount, kFileIconCount, 0);
  m_fileIcons->SetHorizontal(true);
  // Tab reaches the icons where they stand, between the background and the check box below them.
  setTabOrder(m_background, m_fileIcons);
}

void CPrefsPage::LoadFields(const CPatchDB& db) {
  const QSignalBlocker blockTransition(m_transition), blockBackground(m_background);
  m_alwaysOpenGui->setChecked(db.AlwaysOpenGUI);
  m_gridLines->setChecked(db.GridLines);
  m_registerAtStartup->setChecked(db.RegisterAtStartup);
  m_allowEdit->setChecked(db.AllowEdit);
  // A value outside the list selects nothing.
  m_transition->setCurrentIndex(
      db.Transition >= 0 && db.Transition < m_transition->count() ? db.Transition : -1);
  m_transSpeed->setValue(db.TransSpeed);
  m_fileIcons->SetSelection(db.FileIcon - 1);
  m_backgroundShown = db.WindowBackground;
  m_background->setEditText(PathText(db.WindowBackground));
}

void CPrefsPage::ConnectWidgets() {
  connect(m_fileIcons, &CIconBar::IbnDrawItem, this, [this](int index, QPainter* painter) {
    if (index >= 0 && index < kFileIconCount)
      painter->drawPixmap(3, 3, m_iconImages[static_cast<size_t>(index)]);
  });
}

void CPrefsPage::Store(CPatchDB& db) const {
  db.AlwaysOpenGUI = m_alwaysOpenGui->isChecked();
  db.GridLines = m_gridLines->isChecked();
  db.RegisterAtStartup = m_registerAtStartup->isChecked();
  db.AllowEdit = m_allowEdit->isChecked();
  db.Transition = m_transition->currentIndex();
  db.TransSpeed = m_transSpeed->value();
  db.FileIcon = m_fileIcons->GetSelection() + 1;
  // Stored as typed: "%app%" and "~" stand for their folders when the picture is loaded.
  db.WindowBackground = PathBytes(m_background->currentText(), m_backgroundShown);
}
