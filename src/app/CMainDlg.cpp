#include "app/CMainDlg.h"

#include <cctype>

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>

#include "app/CListPane.h"
#include "app/CSortHeaderCtrl.h"
#include "app/CSortListCtrl.h"
#include "app/MainDlgTexts.h"
#include "db/EmulatorChoice.h"
#include "platform/FileTypeRegistry.h"
#include "prompt/Diagnostics.h"
#include "ui/Artwork.h"
#include "ui/CDialogUnits.h"
#include "ui/DialogLayout.h"

namespace {

constexpr char kFatalLoad[] =
    "Brindle encountered fatal errors during initialization and must close.\n\t\t\t\nYou can "
    "either manually repair the brindle.dat file, or delete it to reconfigure the program.\n\t\t\t"
    "\nIf you delete the file, you will have to reconfigure emulator, ROM, and patch settings.";
constexpr ControlRow kCloseRow = {
    CMainDlg::kCloseButton, ControlKind::PushButton, "Close", "Close", 388, 248, 81, 14};

}  // namespace

CMainDlg::CMainDlg(UserPrompt& prompt, MainDlgEnvironment environment, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_stoppablePrompt(prompt),
      m_prompt(m_stoppablePrompt),
      m_env(std::move(environment)),
      m_dbPrompt(m_prompt),
      m_db(m_dbPrompt) {
  CompleteMainDlgEnvironment(m_env);
  // A large collection takes as long to read as the toolkit takes to build the window.
  StartLoading();
  setAcceptDrops(true);
  setWindowTitle("SNES Brindle");
  setWindowIcon(GetAppIcon());
  BuildMenus();
  BuildControls();
  UpdateCommandStates();
}

CMainDlg::~CMainDlg() {
  if (m_loader.joinable())
    m_loader.join();
  m_writer.reset();  // finishes its writes, and tells nobody of a failure now
  // The lists read the database, which is gone before the base class hides and deletes them.
  PatchList()->SetTextSource({});
  RomList()->SetTextSource({});
}

int CMainDlg::ClientTop() const {
  return m_menuBar->sizeHint().height();
}

CSortListCtrl* CMainDlg::PatchList() const {
  return m_patchPane->List();
}

CSortListCtrl* CMainDlg::RomList() const {
  return m_romPane->List();
}

QMenu* CMainDlg::PatchMenu() const {
  return m_patchPane->Menu();
}

QMenu* CMainDlg::RomMenu() const {
  return m_romPane->Menu();
}

void CMainDlg::BuildControls() {
  const CDialogUnits units;
  const int top = ClientTop();
  const QRect client = units.ToPixels(0, 0, 476, 265);
  setFixedSize(client.width(), client.height() + top);
  m_menuBar->setGeometry(0, 0, client.width(), top);

  m_patchPane = new CListPane(*this, PatchPaneLayout(), top);
  m_romPane = new CListPane(*this, RomPaneLayout(), top);
  for (CListPane* pane : {m_patchPane, m_romPane}) {
    connect(pane, &CListPane::CommandChosen, this, &CMainDlg::RunCommand);
    connect(pane, &CListPane::CommandKey, this, &CMainDlg::ExecuteCommand);
    connect(pane, &CListPane::RowsChanged, this, &CMainDlg::UpdateCommandStates);
    connect(pane->Menu(), &QMenu::aboutToShow, this, &CMainDlg::UpdateCommandStates);
  }
  m_closeButton = qobject_cast<QPushButton*>(CreateControl(*this, kCloseRow, top));
  connect(m_closeButton, &QPushButton::clicked, this, [this] { RunCommand(kCloseButton); });
  // Enter presses only the button that has the focus: Close is never the default.
  m_closeButton->setAutoDefault(false);
  // Several patches are selected to make a set of them, and several rows to remove them at once;
  // every other command takes one row.
  PatchList()->setSelectionMode(QAbstractItemView::ExtendedSelection);
  RomList()->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // The patch list has the keyboard when the window opens, as before there were filters.
  PatchList()->setFocus();
  auto* find = new QShortcut(QKeySequence::Find, this);
  connect(find, &QShortcut::activated, this, &CMainDlg::FocusFilter);
  // Alt+Enter shows the properties of what is selected in the list in use, as file managers do.
  auto* properties = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Return), this);
  connect(properties, &QShortcut::activated, this, [this] {
    RunCommand(m_romPane->Contains(focusWidget()) ? kRomProperties : kPatchProperties);
  });

  m_patchPicture = GetPatchPicture();
  m_romPicture = GetRomPicture();
}

bool CMainDlg::Initialize(const std::string& commandLineFile) {
  FinishLoading();
  if (!LockDatabase()) {
    done(0);
    return false;
  }
  const int loaded = m_loaded;
  if (loaded < 0) {
    m_prompt.Ask({kFatalLoad, kAppTitle, BoxIcon::Error, BoxButtons::Ok});
    done(0);
    return false;
  }
  m_db.RemoveLitter();
  StartWriting(loaded == 0);
  if (loaded == 0) {
    // Before anything else touches the emulator or the ROMs.
    m_db.RecoverInterruptedPlay();
  } else {
    // The emulator page offers the first emulator installed when none is set up yet.
    const EmulatorKind offered = ReadEmulatorForm(m_db, m_env.findEmulators()).emulator;
    m_prompt.Ask({WelcomeText(offered), kAppTitle, BoxIcon::Information, BoxButtons::Ok});
    m_db.SetDefaults();
    // A termination signal handled while a box or the Options dialog is up has already ended
    // the window: what was set so far is kept, nothing more is asked or started.
    if (!m_closing)
      ShowOptions(kEmulatorPage);
    if (!m_closing)
      m_prompt.Ask(FirstRunResult(m_db));
  }
  m_saveAtExit = true;
  SaveChanges();
  if (m_closing)
    return false;
  if (m_db.RegisterAtStartup && m_env.registry) {
    RegisterFileTypes(*m_env.registry, m_env.executablePath, m_db.FileIcon);
  }
  LoadBackground();

  if (!commandLineFile.empty()) {
    const int index = m_db.FindPatch(commandLineFile);
    if (index < 0) {
      InstallCommandLinePatch(commandLineFile);
    } else if (m_db.PlayPatch(index) == 1 && !m_db.AlwaysOpenGUI) {
      m_transition.SetAllowed(false);
      done(0);
      return false;
    }
  }

  // A set's row has an icon of its own: its item value is below 0.
  PatchList()->SetRowIcon(GetPatchIcon(), GetPatchSetIcon());
  RomList()->SetRowIcon(GetRomIcon());
  PatchList()->SetTextSource([this](int32_t index, int column, std::string& scratch) {
    return PatchCellText(index, column, scratch);
  });
  RomList()->SetTextSource([this](int32_t index, int column, std::string& scratch) {
    return RomCellText(index, column, scratch);
  });
  m_patchPane->CreateColumns();
  m_romPane->CreateColumns();
  PatchList()->GetHeaderCtrl()->ShowColumn(2, false);
  PatchList()->GetHeaderCtrl()->ShowColumn(5, false);
  PatchList()->SetGridLines(m_db.GridLines);
  RomList()->SetGridLines(m_db.GridLines);
  PatchList()->SetFitColumns(true);
  RomList()->SetFitColumns(true);
  if (m_db.Transition != 0)
    m_transition.RunTransition(*this, ShapeForTransition(m_db.Transition), m_db.TransSpeed, true);
  FillPatchList();
  FillRomList();
  // A termination signal handled during the opening animation has already ended the window.
  return !m_closing;
}

void CMainDlg::LoadBackground() {
  m_background.LoadBackground(m_db.WindowBackground);
  m_background.ApplyControlColorsToChildren(*this, m_romPane->Heading());
  m_background.ApplyControlColors(*m_patchPane->Heading(), true);
  update();
}

void CMainDlg::FocusFilter() {
  (m_romPane->Contains(focusWidget()) ? m_romPane : m_patchPane)->FocusFilter();
}

void CMainDlg::Run() {
  // Not QDialog::exec(): hiding a dialog ends its exec(), and the window hides for every play.
  // This loop ends only when the window does.
  setAttribute(Qt::WA_ShowModal, true);
  show();
  QEventLoop loop;
  connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
  loop.exec(QEventLoop::DialogExec);
}

void CMainDlg::Close() {
  if (m_closing)
    return;
  m_closing = true;
  if (m_db.Transition != 0)
    m_transition.RunTransition(*this, ShapeForTransition(m_db.Transition), m_db.TransSpeed, false);
  done(QDialog::Rejected);
}

void CMainDlg::CloseWithoutAnimation() {
  if (m_closing)
    return;
  m_closing = true;
  // Nobody is there to answer a box any more.
  m_stoppablePrompt.Stop();
  // A dialog open over the window (the Options, the folder picker) is cancelled with it, and so
  // is a box of its own (the welcome box at start-up has no window to stand over).
  QList<QDialog*> dialogs = findChildren<QDialog*>();
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog != this)
      dialogs.append(dialog);
  }
  for (QDialog* dialog : dialogs) {
    if (dialog->isVisible())
      dialog->reject();
  }
  done(QDialog::Rejected);
}

void CMainDlg::reject() {
  Close();
}

void CMainDlg::closeEvent(QCloseEvent* event) {
  // The close box and Alt+F4 take the Close command's path, animation included.
  event->ignore();
  Close();
}

void CMainDlg::keyPressEvent(QKeyEvent* event) {
  // Enter presses the button that has the keyboard focus and otherwise does nothing (the lists
  // act on it themselves).
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled())
      button->click();
    return;
  }
  // Escape never ends the window, where a second press after emptying a filter would close it
  // by surprise: it empties the filter of the list in use, if any, and otherwise does nothing.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    CListPane* pane = m_romPane->Contains(focusWidget()) ? m_romPane : m_patchPane;
    if (!pane->Filter()->text().isEmpty())
      pane->Filter()->clear();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CMainDlg::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter painter(this);
  const QRect client(0, ClientTop(), width(), height() - ClientTop());
  m_background.EraseBackground(painter, client, palette().color(QPalette::Button));
  // The two pictures are placed in pixels of the layout, which move with its units.
  const CDialogUnits units;
  const QPoint below(0, ClientTop());
  painter.drawPixmap(units.FromLayoutPixels(25, 15) + below, m_patchPicture);
  painter.drawPixmap(units.FromLayoutPixels(25, 220) + below, m_romPicture);
}
