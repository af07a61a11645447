#include "dialogs/COptionsDlg.h"

#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <algorithm>

#include "dialogs/CAboutPage.h"
#include "dialogs/CPrefsPage.h"
#include "dialogs/CRomOptionsPage.h"
#include "dialogs/CZsnesPage.h"
#include "platform/FileSystem.h"
#include "ui/CDialogUnits.h"
#include "ui/CIconBar.h"
#include "ui/DialogLayout.h"
#include "ui/TextFit.h"

namespace {

constexpr int kOk = 1;
constexpr int kCancel = 2;

constexpr ControlRow kControls[] = {
    {kOk, ControlKind::DefaultPushButton, "Ok", "OK", 249, 201, 50, 14},
    {kCancel, ControlKind::PushButton, "Cancel", "Cancel", 302, 201, 50, 14},
};

// Each page's place on the bar: its icon file, the icon's height in the item, and its label.
struct PageItem {
  const char* iconFile;
  int iconTop;
  const char* label;
};
constexpr PageItem kPageItems[COptionsDlg::kPageCount] = {
    {"/icons/opt.ico", 5, "Preferences"},
    {"/icons/zsnes.ico", 4, "Configumaration"},
    {"/icons/snescart.ico", 3, "ROM Options"},
    {"/icons/info.ico", 5, "About"},
};
constexpr int kIconLeft = 21;
constexpr int kIconSize = 32;
constexpr QPoint kLabelAt(37, 36);  // the label's top centre

// The first image of an icon file at the bar's icon size; null when the file cannot be read.
QPixmap LoadPageIcon(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes))
    return {};
  const QImage image = QImage::fromData(QByteArray::fromStdString(bytes), "ICO");
  if (image.isNull())
    return {};
  return QPixmap::fromImage(
      image.size() == QSize(kIconSize, kIconSize)
          ? image
          : image.scaled(kIconSize, kIconSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

}  // namespace

COptionsDlg::COptionsDlg(CPatchDB& db, UserPrompt& prompt, OptionsPage page,
                         const std::string& appDir, QWidget* parent, const std::string& databaseDir)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_db(db),
      m_prompt(prompt),
      m_initialPage(page),
      m_appDir(appDir),
      m_databaseDir(databaseDir) {
  CreateWidgets();
  LoadFields();
  ConnectWidgets();
}

void COptionsDlg::CreateWidgets() {
  setWindowTitle("Options");
  const CDialogUnits units;
  setFixedSize(units.ToPixels(0, 0, 359, 222).size());

  m_bar = new CIconBar(this);
  m_bar->setObjectName("PageBar");
  const QPoint barAt = units.FromLayoutPixels(5, 5);
  m_bar->Create(barAt.x(), barAt.y(), 75, 55, kPageCount, 6, kPageBarId);

  // Each page reads the settings as it is made.
  m_prefs = new CPrefsPage(m_db, this);
  m_zsnes = new CZsnesPage(m_db, m_prompt, this);
  m_romOptions = new CRomOptionsPage(m_db, this);
  m_about = new CAboutPage(m_databaseDir, this);
  m_pages = {m_prefs, m_zsnes, m_romOptions, m_about};
  const char* const names[kPageCount] = {"PreferencesPage", "EmulatorPage", "RomOptionsPage",
                                         "AboutPage"};
  const QRect pageRect = units.ToPixels(55, 0, 304, 183);
  for (int i = 0; i < kPageCount; ++i) {
    m_pages[i]->setObjectName(names[i]);
    m_pages[i]->setGeometry(pageRect);
    m_pages[i]->hide();
  }
  // Made after the pages, so that Tab goes from the bar through the page shown to the buttons.
  CreateControls(*this, kControls);

  for (int i = 0; i < kPageCount; ++i)
    m_icons[i] = LoadPageIcon(m_appDir + kPageItems[i].iconFile);
  FitTextToLayout(*this);
}

void COptionsDlg::LoadFields() {
  ShowPage(m_initialPage);
  m_bar->SetSelection(m_initialPage);
  FocusPage(m_initialPage);
}

void COptionsDlg::FocusPage(int index) {
  // The page's first control that Tab reaches, unless it names another; a page without one leaves
  // the focus on the bar.
  if (index < 0 || index >= kPageCount) {
    m_bar->setFocus(Qt::TabFocusReason);
    return;
  }
  QWidget* page = m_pages[static_cast<size_t>(index)];
  // A page may name the control it starts in (the emulator page: the chosen emulator's first
  // field, below the choice of emulator).
  if (QWidget* start = page->focusProxy(); start && start->isVisibleTo(page)) {
    start->setFocus(Qt::TabFocusReason);
    return;
  }
  for (QWidget* control = page->nextInFocusChain(); page->isAncestorOf(control);
       control = control->nextInFocusChain()) {
    if ((control->focusPolicy() & Qt::TabFocus) && control->isEnabled() &&
        control->isVisibleTo(page)) {
      control->setFocus(Qt::TabFocusReason);
      return;
    }
  }
  m_bar->setFocus(Qt::TabFocusReason);
}

void COptionsDlg::ConnectWidgets() {
  connect(m_bar, &CIconBar::IbnDrawItem, this, &COptionsDlg::DrawPageItem);
  connect(m_bar, &CIconBar::IbnSelChange, this, &COptionsDlg::ShowPage);
  connect(findChild<QPushButton*>("Ok"), &QPushButton::clicked, this, &COptionsDlg::accept);
  connect(findChild<QPushButton*>("Cancel"), &QPushButton::clicked, this, &COptionsDlg::reject);
  // The keys that switch tabs in the desktop's own settings dialogs switch pages here.
  const auto addKeys = [this](std::initializer_list<QKeySequence> keys, int step) {
    for (const QKeySequence& key : keys) {
      auto* shortcut = new QShortcut(key, this);
      connect(shortcut, &QShortcut::activated, this, [this, step] { StepPage(step); });
    }
  };
  addKeys({QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)}, 1);
  addKeys(
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
      -1);
}

void COptionsDlg::StepPage(int step) {
  const int page = (std::max(VisiblePage(), 0) + step + kPageCount) % kPageCount;
  ShowPage(page);
  m_bar->SetSelection(page);
  FocusPage(page);
}

void COptionsDlg::DrawPageItem(int index, QPainter* painter) const {
  if (index < 0 || index >= kPageCount)
    return;
  const PageItem& item = kPageItems[index];
  if (!m_icons[index].isNull())
    painter->drawPixmap(kIconLeft, item.iconTop, m_icons[index]);
  const QString label = QString::fromLatin1(item.label);
  const QFontMetrics metrics(painter->font());
  const int width = metrics.horizontalAdvance(label);
  painter->drawText(QRect(kLabelAt.x() - width / 2, kLabelAt.y(), width, metrics.height()),
                    Qt::AlignHCenter | Qt::AlignTop, label);
}

void COptionsDlg::ShowPage(int index) {
  if (index < 0 || index >= kPageCount)
    return;
  for (int i = 0; i < kPageCount; ++i)
    m_pages[i]->setVisible(i == index);
}

int COptionsDlg::VisiblePage() const {
  for (int i = 0; i < kPageCount; ++i) {
    if (!m_pages[i]->isHidden())
      return i;
  }
  return -1;
}

void COptionsDlg::accept() {
  m_prefs->Store(m_db);
  m_zsnes->Store(m_db);
  m_romOptions->Store(m_db);
  QDialog::accept();
}
