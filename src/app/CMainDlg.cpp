#include "app/CMainDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QUrl>
#include <algorithm>

#include "app/CSortHeaderCtrl.h"
#include "app/CSortListCtrl.h"
#include "app/RowRecord.h"
#include "dialogs/COptionsDlg.h"
#include "dialogs/CPatchInfoDlg.h"
#include "dialogs/CRomInfoDlg.h"
#include "parser/TextUtil.h"
#include "platform/FileTypeRegistry.h"
#include "prompt/Diagnostics.h"
#include "ui/Artwork.h"
#include "ui/CDialogUnits.h"
#include "ui/DialogLayout.h"

namespace {

constexpr char kPatchColumns[] =
    "Patch Name,200;Author,85;Version,100;Platform,140;Filename,300;ROM Digest,200;";
constexpr char kRomColumns[] = "ROM Name,120;Size,80;Filename,256;MD5 Digest,140";

constexpr char kFatalLoad[] =
    "Brindle encountered fatal errors during initialization and must close.\n\t\t\t\nYou can "
    "either manually repair the brindle.dat file, or delete it to reconfigure the program.\n\t\t\t"
    "\nIf you delete the file, you will have to reconfigure emulator, ROM, and patch settings.";
constexpr char kWelcome[] =
    "Welcome to Brindle!\n\t\t\t\nPlease take a moment to configure Brindle's ZSNES settings.";
constexpr char kConfigured[] =
    "ZSNES has been configured.\n\nYou can use IPS patches by installing them through this "
    "program and double-clicking\non the entries in the patch listbox, or by double-clicking them "
    "in your file manager.\n\nNote that you must also install compatible ROMs in order to use the "
    "patches.";
constexpr char kNotConfigured[] =
    "ZSNES has not been properly configured.\n\t\t\t\t\nYou will have to specify a ZSNES "
    "installation directory before you can run patches with this program.";
constexpr char kNoEmulator[] =
    "Brindle does not have a ZSNES installation configured.\n\t\t\t\t\t\t\nYou must register "
    "ZSNES with Brindle before you can run patches.";

// The controls around the two lists, in dialog units below the menu bar.
constexpr ControlRow kControls[] = {
    {CMainDlg::kInstalledRomsLabel, ControlKind::SunkenLabel, "InstalledRoms", "  Installed ROMs",
     67, 136, 402, 11},
    {-1, ControlKind::EtchedLine, "PlayLine", "", 8, 45, 55, 1},
    {CMainDlg::kPlayButton, ControlKind::FlatButton, "PlayPatch", "Play Patch", 7, 49, 55, 12},
    {-1, ControlKind::EtchedLine, "PatchLine", "", 8, 64, 55, 1},
    {CMainDlg::kAddPatchButton, ControlKind::FlatButton, "AddPatch", "Add Patch...", 7, 67, 55, 12},
    {CMainDlg::kRemovePatchButton, ControlKind::FlatButton, "RemovePatch", "Remove Patch", 7, 81,
     55, 12},
    {-1, ControlKind::EtchedLine, "RomLine", "", 8, 171, 54, 1},
    {CMainDlg::kAddRomButton, ControlKind::FlatButton, "AddRom", "Add ROM...", 7, 176, 55, 12},
    {CMainDlg::kRemoveRomButton, ControlKind::FlatButton, "RemoveRom", "Remove ROM", 7, 191, 55,
     12},
    {CMainDlg::kCloseButton, ControlKind::PushButton, "Close", "Close", 388, 248, 81, 14},
};

// Asks for one existing file; its path as the bytes the system knows it by, empty on Cancel.
std::string ChooseFile(QWidget* parent, const QString& filters, const QString& defaultSuffix) {
  QFileDialog dialog(parent);
  // Qt's own dialog matches the filters' patterns whatever the letter case of a name, so that
  // GAME.IPS and Game.SMC are listed; the desktop's dialogs on Linux match case exactly.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(filters);
  dialog.setDefaultSuffix(defaultSuffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::string();
  return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

std::string DefaultChooseRomFile(QWidget* parent) {
  // The filter's patterns are separated by blanks: Qt reads a comma as part of a pattern.
  // ROMs are mostly named .sfc or .swc today, hence the second entry.
  return ChooseFile(parent, "SNES ROM files (*.smc *.fig);;All files (*)", "smc");
}

std::string DefaultChoosePatchFile(QWidget* parent) {
  return ChooseFile(parent, "IPS Patch files (*.ips)", "ips");
}

bool DefaultEditPatchInfo(PatchRecord& patch, bool allowEdit, UserPrompt& prompt, QWidget* parent) {
  CPatchInfoDlg dialog(patch, prompt, allowEdit, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool DefaultEditRomInfo(RomRecord& rom, CPatchDB& db, UserPrompt& prompt, QWidget* parent) {
  CRomInfoDlg dialog(rom, db, prompt, parent);
  return dialog.exec() == QDialog::Accepted;
}

// What a dropped file is, by its extension in any letter case.
bool HasExtension(const std::string& path, std::initializer_list<const char*> extensions) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
    return false;
  const std::string extension = AsciiLowerCopy(path.substr(dot));
  return std::any_of(extensions.begin(), extensions.end(),
                     [&extension](const char* e) { return extension == e; });
}

bool IsPatchFile(const std::string& path) {
  return HasExtension(path, {".ips"});
}

bool IsRomFile(const std::string& path) {
  return HasExtension(path, {".smc", ".fig", ".sfc", ".swc"});
}

std::vector<std::string> DroppedFiles(const QMimeData* data) {
  std::vector<std::string> paths;
  if (data == nullptr)
    return paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile())
      continue;
    std::string path = QFile::encodeName(url.toLocalFile()).toStdString();
    if (IsPatchFile(path) || IsRomFile(path))
      paths.push_back(std::move(path));
  }
  return paths;
}

void DefaultShowOptions(CPatchDB& db, OptionsPage page, const std::string& appDir,
                        UserPrompt& prompt, QWidget* parent) {
  COptionsDlg dialog(db, prompt, page, appDir, parent);
  dialog.exec();
}

}  // namespace

CMainDlg::CMainDlg(UserPrompt& prompt, MainDlgEnvironment environment, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_prompt(prompt),
      m_env(std::move(environment)),
      m_db(prompt) {
  if (!m_env.chooseRomFile)
    m_env.chooseRomFile = DefaultChooseRomFile;
  if (!m_env.choosePatchFile)
    m_env.choosePatchFile = DefaultChoosePatchFile;
  if (!m_env.editPatchInfo)
    m_env.editPatchInfo = DefaultEditPatchInfo;
  if (!m_env.editRomInfo)
    m_env.editRomInfo = DefaultEditRomInfo;
  setAcceptDrops(true);
  if (!m_env.showOptions)
    m_env.showOptions = DefaultShowOptions;
  setWindowTitle("SNES Brindle");
  setWindowIcon(GetAppIcon());
  BuildMenus();
  BuildControls();
  UpdateCommandStates();
}

CMainDlg::~CMainDlg() = default;

int CMainDlg::ClientTop() const {
  return m_menuBar->sizeHint().height();
}

void CMainDlg::BuildMenus() {
  m_menuBar = new QMenuBar(this);
  QMenu* file = m_menuBar->addMenu("&File");
  AddAction(file, "Add &Folder...", kAddFolder);
  file->addSeparator();
  AddAction(file, "E&xit\tAlt+F4", kExit);
  QMenu* tools = m_menuBar->addMenu("&Tools");
  AddAction(tools, "Play Selected Patch   \t", kPlay);
  tools->addSeparator();
  AddAction(tools, "Install IPS Patch...", kAddPatch);
  tools->addSeparator();
  AddAction(tools, "Install ROM...", kAddRom);
  AddAction(tools, "Add Folder...", kAddFolder);
  AddAction(tools, "&ROM Preferences...", kRomPreferences);
  AddAction(tools, "Configure ZSNES Installation...", kConfigureZsnes);
  tools->addSeparator();
  AddAction(tools, "&Options...", kOptions);
  QMenu* help = m_menuBar->addMenu("&Help");
  AddAction(help, "&About...", kAbout);

  m_patchMenu = new QMenu(this);
  AddAction(m_patchMenu, "Play This &Patch     \tSpace", kPlay);
  m_patchMenu->addSeparator();
  AddAction(m_patchMenu, "&Remove Patch            \tDel", kRemovePatch);
  AddAction(m_patchMenu, "Install &New Patch...\t", kAddPatch);
  m_patchMenu->addSeparator();
  AddAction(m_patchMenu, "P&roperties...", kPatchProperties);

  m_romMenu = new QMenu(this);
  AddAction(m_romMenu, "&Install ROM...", kAddRom);
  AddAction(m_romMenu, "Remove ROM     \tDel", kRemoveRom);
  m_romMenu->addSeparator();
  AddAction(m_romMenu, "Properties...", kRomProperties);

  for (QMenu* menu : {file, tools, help, m_patchMenu, m_romMenu}) {
    connect(menu, &QMenu::aboutToShow, this, &CMainDlg::UpdateCommandStates);
  }
}

QAction* CMainDlg::AddAction(QMenu* menu, const QString& text, int id) {
  QAction* action = menu->addAction(text);
  action->setData(id);
  connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
  m_actions.emplace_back(id, action);
  return action;
}

void CMainDlg::BuildControls() {
  const CDialogUnits units;
  const int top = ClientTop();
  const QRect client = units.ToPixels(0, 0, 476, 265);
  setFixedSize(client.width(), client.height() + top);
  m_menuBar->setGeometry(0, 0, client.width(), top);

  m_patchList = new CSortListCtrl(this);
  m_patchList->setObjectName("PatchList");
  m_patchList->setGeometry(units.ToPixels(67, 7, 402, 127).translated(0, top));
  m_romList = new CSortListCtrl(this);
  m_romList->setObjectName("RomList");
  m_romList->setGeometry(units.ToPixels(67, 148, 402, 95).translated(0, top));
  for (QWidget* control : CreateControls(*this, kControls, top)) {
    if (auto* button = qobject_cast<QPushButton*>(control)) {
      const int id = ControlId(*button);
      connect(button, &QPushButton::clicked, this, [this, id] { RunCommand(id); });
      m_buttons.emplace_back(id, button);
    }
  }
  m_romLabel = findChild<QLabel*>("InstalledRoms");
  m_romLabel->setAutoFillBackground(true);
  // Enter presses only the button that has the focus: Close is never the default.
  FindButton(kCloseButton)->setAutoDefault(false);

  for (CSortListCtrl* list : {m_patchList, m_romList}) {
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CMainDlg::UpdateCommandStates);
  }
  connect(m_patchList, &QWidget::customContextMenuRequested, this,
          [this] { ShowContextMenu(*m_patchList, *m_patchMenu); });
  connect(m_romList, &QWidget::customContextMenuRequested, this,
          [this] { ShowContextMenu(*m_romList, *m_romMenu); });
  connect(m_patchList, &CSortListCtrl::ListKeyPressed, this, &CMainDlg::OnPatchListKey);
  connect(m_romList, &CSortListCtrl::ListKeyPressed, this, &CMainDlg::OnRomListKey);
  // A double-click in the patch list plays, even on its empty part; in the ROM list it does
  // nothing.
  connect(m_patchList, &CSortListCtrl::ListDoubleClicked, this, [this](int) { Play(); });

  m_patchPicture = GetPatchPicture();
  m_romPicture = GetRomPicture();
}

bool CMainDlg::Initialize(const std::string& commandLineFile) {
  const int loaded = m_db.Load(DatabasePath());
  if (loaded < 0) {
    m_prompt.Ask({kFatalLoad, kAppTitle, BoxIcon::Error, BoxButtons::Ok});
    done(0);
    return false;
  }
  if (loaded == 0) {
    // Before anything else touches the emulator or the ROMs.
    m_db.RecoverInterruptedPlay();
  } else {
    m_prompt.Ask({kWelcome, kAppTitle, BoxIcon::Information, BoxButtons::Ok});
    m_db.SetDefaults();
    // A termination signal handled while a box or the Options dialog is up has already ended
    // the window: what was set so far is kept, nothing more is asked or started.
    if (!m_closing)
      ShowOptions(kEmulatorPage);
    if (!m_closing) {
      m_prompt.Ask(m_db.ZSNES.empty()
                       ? BoxRequest{kNotConfigured, kAppTitle, BoxIcon::Warning, BoxButtons::Ok}
                       : BoxRequest{kConfigured, kAppTitle, BoxIcon::Information, BoxButtons::Ok});
    }
  }
  m_saveAtExit = true;
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

  m_patchList->SetRowIcon(GetPatchIcon());
  m_romList->SetRowIcon(GetRomIcon());
  m_patchList->InsertColumns(kPatchColumns);
  m_romList->InsertColumns(kRomColumns);
  m_patchList->GetHeaderCtrl()->ShowColumn(2, false);
  m_patchList->GetHeaderCtrl()->ShowColumn(5, false);
  m_patchList->SetGridLines(m_db.GridLines);
  m_romList->SetGridLines(m_db.GridLines);
  if (m_db.Transition != 0)
    m_transition.RunTransition(*this, ShapeForTransition(m_db.Transition), m_db.TransSpeed, true);
  FillPatchList();
  FillRomList();
  // A termination signal handled during the opening animation has already ended the window.
  return !m_closing;
}

void CMainDlg::Shutdown() {
  if (!m_saveAtExit)
    return;
  m_db.Save(DatabasePath());
  if (m_db.RegisterAtStartup && m_env.registry) {
    RegisterFileTypes(*m_env.registry, m_env.executablePath, m_db.FileIcon);
  }
}

void CMainDlg::LoadBackground() {
  m_background.LoadBackground(m_db.WindowBackground);
  m_background.ApplyControlColorsToChildren(*this, m_romLabel);
  update();
}

std::vector<std::string> CMainDlg::PatchRowTexts(int index) const {
  const PatchRecord* p = m_db.GetPatch(index);
  if (p == nullptr)
    return {};
  return {p->PatchName, p->Author,   p->Version, p->RomName + " (" + p->RomSize + ")",
          p->Filename,  p->RomDigest};
}

std::string CMainDlg::RomDisplayName(const RomRecord& rom) const {
  const std::string name = m_db.ShownRomName(rom);
  return name == rom.RomName ? name : "[" + name + "]";
}

std::vector<std::string> CMainDlg::RomRowTexts(int index) const {
  const RomRecord* r = m_db.GetRom(index);
  if (r == nullptr)
    return {};
  return {RomDisplayName(*r), r->RomSize, r->Filename, r->RomDigest};
}

void CMainDlg::FillPatchList() {
  std::vector<RowRecord> rows(static_cast<size_t>(m_db.GetPatchCount()));
  for (int i = 0; i < m_db.GetPatchCount(); ++i) {
    rows[static_cast<size_t>(i)] = {PatchRowTexts(i), i};
  }
  m_patchList->ReplaceAllRows(std::move(rows));
  UpdateCommandStates();
}

void CMainDlg::FillRomList() {
  std::vector<RowRecord> rows(static_cast<size_t>(m_db.GetRomCount()));
  for (int i = 0; i < m_db.GetRomCount(); ++i)
    rows[static_cast<size_t>(i)] = {RomRowTexts(i), i};
  m_romList->ReplaceAllRows(std::move(rows));
  UpdateCommandStates();
}

void CMainDlg::RefreshRows(CSortListCtrl& list) {
  const bool patches = &list == m_patchList;
  const int count = patches ? m_db.GetPatchCount() : m_db.GetRomCount();
  for (int row = 0; row < count && row < list.GetRowCount(); ++row) {
    const int value = list.GetItemValue(row);
    list.ReplaceRowTexts(row, patches ? PatchRowTexts(value) : RomRowTexts(value));
  }
}

void CMainDlg::RefreshRow(CSortListCtrl& list, int row) {
  if (row < 0 || row >= list.GetRowCount())
    return;
  const int value = list.GetItemValue(row);
  list.ReplaceRowTexts(row, &list == m_patchList ? PatchRowTexts(value) : RomRowTexts(value));
  list.SelectRow(row);
}

int CMainDlg::SelectedPatch() const {
  const int row = m_patchList->GetFirstSelected();
  return row < 0 ? -1 : m_patchList->GetItemValue(row);
}

int CMainDlg::SelectedRom() const {
  const int row = m_romList->GetFirstSelected();
  return row < 0 ? -1 : m_romList->GetItemValue(row);
}

bool CMainDlg::IsCommandEnabled(int id) const {
  switch (id) {
    case kPlay:
    case kPlayButton:
    case kRemovePatch:
    case kRemovePatchButton:
      return m_patchList->GetFirstSelected() >= 0;
    case kRemoveRom:
    case kRemoveRomButton:
    case kRomProperties:
      return m_romList->GetFirstSelected() >= 0;
    default:
      return true;
  }
}

void CMainDlg::UpdateCommandStates() {
  for (auto& [id, action] : m_actions)
    action->setEnabled(IsCommandEnabled(id));
  for (auto& [id, button] : m_buttons)
    button->setEnabled(IsCommandEnabled(id));
}

QAction* CMainDlg::FindAction(int id) const {
  for (const auto& [actionId, action] : m_actions) {
    if (actionId == id)
      return action;
  }
  return nullptr;
}

QPushButton* CMainDlg::FindButton(int id) const {
  for (const auto& [buttonId, button] : m_buttons) {
    if (buttonId == id)
      return button;
  }
  return nullptr;
}

void CMainDlg::RunCommand(int id) {
  if (!IsCommandEnabled(id))
    return;
  switch (id) {
    case kPlay:
    case kPlayButton:
      Play();
      break;
    case kRemovePatch:
    case kRemovePatchButton:
      RemovePatch();
      break;
    case kAddRom:
    case kAddRomButton:
      AddRom();
      break;
    case kRemoveRom:
    case kRemoveRomButton:
      RemoveRom();
      break;
    case kAddPatch:
    case kAddPatchButton:
      AddPatch();
      break;
    case kAddFolder:
      AddFolder();
      break;
    case kPatchProperties:
      ShowPatchProperties();
      break;
    case kRomProperties:
      ShowRomProperties();
      break;
    case kRomPreferences:
      ShowOptions(kRomOptionsPage);
      break;
    case kConfigureZsnes:
      ShowOptions(kEmulatorPage);
      break;
    case kOptions:
      ShowOptions(kPreferencesPage);
      break;
    case kAbout:
      ShowOptions(kAboutPage);
      break;
    case kExit:
    case kCloseButton:
      Close();
      break;
    default:
      break;
  }
  UpdateCommandStates();
}

void CMainDlg::ShowOptions(OptionsPage page) {
  m_env.showOptions(m_db, page, m_env.appDir, m_prompt, this);
  m_patchList->SetGridLines(m_db.GridLines);
  m_romList->SetGridLines(m_db.GridLines);
  LoadBackground();  // and repaints
  RefreshRows(*m_romList);
  RefreshRows(*m_patchList);
}

void CMainDlg::Play() {
  if (m_db.ZSNES.empty()) {
    ShowPlainMessage(m_prompt, kNoEmulator);
    ShowOptions(kEmulatorPage);
    return;
  }
  const int patch = SelectedPatch();
  if (patch < 0 || m_playing)
    return;
  m_playing = true;
  // Hidden for the length of the game (Run's loop goes on, as exec()'s would not).
  hide();
  // The play blocks this thread: make the window system see the window go before it starts.
  QGuiApplication::sync();
  // A termination signal handled meanwhile has already ended the window: nothing is played.
  if (!m_closing) {
    m_db.PlayPatch(patch);
    showNormal();
    raise();
    activateWindow();
  }
  m_playing = false;
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

void CMainDlg::RemovePatch() {
  const int patch = SelectedPatch();
  if (patch < 0)
    return;
  const std::string text = "Are you sure you want to remove the patch \"" +
                           m_db.GetPatch(patch)->PatchName +
                           "\" from the database?\n\nThis will NOT remove the IPS file from your "
                           "hard drive.";
  if (m_prompt.Ask({text, kAppTitle, BoxIcon::Warning, BoxButtons::YesNo}) == BoxAnswer::Yes) {
    m_db.RemovePatch(patch);
  }
  FillPatchList();
}

void CMainDlg::AddRom() {
  const std::string path = m_env.chooseRomFile(this);
  if (!path.empty())
    m_db.AddRom(path);
  FillRomList();
}

void CMainDlg::RemoveRom() {
  const int rom = SelectedRom();
  if (rom < 0)
    return;
  const RomRecord& record = *m_db.GetRom(rom);
  const std::string text = "Are you sure you want to remove the ROM \"" + record.RomName + " (" +
                           record.RomSize +
                           ")\" from the database?\n\nThis will NOT remove the ROM file from your "
                           "hard drive.";
  if (m_prompt.Ask({text, kAppTitle, BoxIcon::Warning, BoxButtons::YesNo}) == BoxAnswer::Yes) {
    m_db.RemoveRom(rom);
  }
  FillRomList();
}

bool CMainDlg::InstallPatch(const std::string& path) {
  return m_db.InstallPatch(path, [this](PatchRecord& patch) {
    return m_env.editPatchInfo(patch, true, m_prompt, this);
  });
}

void CMainDlg::InstallCommandLinePatch(const std::string& path) {
  if (!InstallPatch(path)) {
    m_prompt.Ask(
        {"The patch was not added to the database.", kAppTitle, BoxIcon::Error, BoxButtons::Ok});
    return;
  }
  // Announced by the name it was installed under, which may come from the dialog.
  const std::string& name = m_db.GetPatch(m_db.FindPatch(path))->PatchName;
  m_prompt.Ask({"The patch \"" + name + "\" was added to the database.", kAppTitle,
                BoxIcon::Information, BoxButtons::Ok});
}

void CMainDlg::AddPatch() {
  const std::string path = m_env.choosePatchFile(this);
  if (!path.empty())
    InstallPatch(path);
  FillPatchList();
}

void CMainDlg::AddFolder() {
  CAddFolderRun run(m_db, m_prompt, m_env.addFolder, this);
  if (run.Run(m_saveAtExit ? DatabasePath() : std::string())) {
    FillPatchList();
    FillRomList();
  }
}

void CMainDlg::ShowPatchProperties() {
  const int row = m_patchList->GetFirstSelected();
  if (row < 0)
    return;
  m_env.editPatchInfo(*m_db.GetPatch(m_patchList->GetItemValue(row)), m_db.AllowEdit, m_prompt,
                      this);
  RefreshRow(*m_patchList, row);
}

void CMainDlg::ShowRomProperties() {
  const int row = m_romList->GetFirstSelected();
  if (row < 0)
    return;
  m_env.editRomInfo(*m_db.GetRom(m_romList->GetItemValue(row)), m_db, m_prompt, this);
  RefreshRow(*m_romList, row);
}

void CMainDlg::InstallFiles(const std::vector<std::string>& paths) {
  bool patches = false;
  bool roms = false;
  for (const std::string& path : paths) {
    if (IsPatchFile(path))
      patches |= InstallPatch(path);
    else if (IsRomFile(path))
      roms |= m_db.AddRom(path);
  }
  if (patches)
    FillPatchList();
  if (roms)
    FillRomList();
}

void CMainDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedFiles(event->mimeData()).empty())
    event->acceptProposedAction();
}

void CMainDlg::dropEvent(QDropEvent* event) {
  const std::vector<std::string> paths = DroppedFiles(event->mimeData());
  if (paths.empty())
    return;
  event->acceptProposedAction();
  InstallFiles(paths);
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
  // A dialog open over the window (the Options, the folder picker) is cancelled with it.
  for (QDialog* dialog : findChildren<QDialog*>()) {
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
  // Enter presses the button that has the keyboard focus and otherwise does nothing. Escape is
  // Close (through reject).
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled())
      button->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CMainDlg::OnPatchListKey(int key) {
  if (key == Qt::Key_Space)
    Play();
  else if (key == Qt::Key_Delete)
    RemovePatch();
}

void CMainDlg::OnRomListKey(int key) {
  if (key == Qt::Key_Delete)
    RemoveRom();
}

void CMainDlg::ShowContextMenu(CSortListCtrl& list, QMenu& menu) {
  (void)list;
  UpdateCommandStates();
  menu.exec(QCursor::pos());
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
