// The window's menus, and the one way every command runs: menu items, buttons, keys.
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "app/CListPane.h"
#include "app/CMainDlg.h"
#include "app/CSortListCtrl.h"

namespace {

// The desktop's key for a program's preferences: Ctrl+Shift+, on KDE; where the desktop names
// none, Ctrl+, as GNOME's programs have it.
QKeySequence PreferencesKey() {
  const QKeySequence standard(QKeySequence::Preferences);
  return standard.isEmpty() ? QKeySequence(Qt::CTRL | Qt::Key_Comma) : standard;
}

}  // namespace

void CMainDlg::BuildMenus() {
  // Every item has its letter, and the keys GNOME's and KDE's programs have where one fits:
  // Ctrl+Q quits, F1 is help, Ctrl+O opens (installs) a patch, Ctrl+, (Ctrl+Shift+, on KDE) the
  // options. They are named here rather than taken from the desktop's table, which has none
  // for some of them on some platforms.
  m_menuBar = new QMenuBar(this);
  QMenu* file = m_menuBar->addMenu("&File");
  AddAction(file, "Add &Folder...", kAddFolder);
  file->addSeparator();
  AddAction(file, "&Quit", kExit, QKeySequence(Qt::CTRL | Qt::Key_Q));
  QMenu* tools = m_menuBar->addMenu("&Tools");
  // Enter plays in the patch list; the key belongs to the list, so it is only named here.
  AddAction(tools, "&Play Selected Patch\tEnter", kPlay);
  tools->addSeparator();
  AddAction(tools, "&Install Patch...", kAddPatch, QKeySequence(Qt::CTRL | Qt::Key_O));
  AddAction(tools, "Make Patch &Set...", kMakePatchSet);
  tools->addSeparator();
  AddAction(tools, "Install RO&M...", kAddRom, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
  AddAction(tools, "Add &Folder...", kAddFolder);
  AddAction(tools, "&ROM Preferences...", kRomPreferences);
  AddAction(tools, "Configure &Emulator...", kConfigureZsnes);
  tools->addSeparator();
  AddAction(tools, "&Options...", kOptions, PreferencesKey());
  QMenu* help = m_menuBar->addMenu("&Help");
  AddAction(help, "Brindle &Help", kHelp, QKeySequence(Qt::Key_F1));
  help->addSeparator();
  AddAction(help, "&About...", kAbout);
  for (QMenu* menu : {file, tools, help})
    connect(menu, &QMenu::aboutToShow, this, &CMainDlg::UpdateCommandStates);
}

QAction* CMainDlg::AddAction(QMenu* menu, const QString& text, int id,
                             const QKeySequence& shortcut) {
  QAction* action = menu->addAction(text);
  action->setData(id);
  if (!shortcut.isEmpty()) {
    action->setShortcut(shortcut);
    // Also while a dialog of the window's own (not a modal one) or a list has the keyboard.
    action->setShortcutContext(Qt::WindowShortcut);
  }
  connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
  m_actions.emplace_back(id, action);
  return action;
}

bool CMainDlg::IsCommandEnabled(int id) const {
  switch (id) {
    case kPlay:
    case kPlayButton:
      // One row, a patch's or a set's.
      return SelectedPatchEntry() != -1;
    case kRemovePatch:
    case kRemovePatchButton:
      return PatchList()->GetFirstSelected() >= 0;
    case kMakePatchSet:
      return !PatchesForASet().empty();
    case kRemoveRom:
    case kRemoveRomButton:
      return RomList()->GetFirstSelected() >= 0;
    case kRomProperties:
      return SelectedRom() != -1;
    default:
      return true;
  }
}

void CMainDlg::UpdateCommandStates() {
  const auto enabled = [this](int id) { return IsCommandEnabled(id); };
  for (auto& [id, action] : m_actions)
    action->setEnabled(enabled(id));
  m_patchPane->UpdateCommandStates(enabled);
  m_romPane->UpdateCommandStates(enabled);
}

QAction* CMainDlg::FindAction(int id) const {
  for (const auto& [actionId, action] : m_actions) {
    if (actionId == id)
      return action;
  }
  if (QAction* action = m_patchPane->FindAction(id))
    return action;
  return m_romPane->FindAction(id);
}

QPushButton* CMainDlg::FindButton(int id) const {
  if (id == kCloseButton)
    return m_closeButton;
  if (QPushButton* button = m_patchPane->FindButton(id))
    return button;
  return m_romPane->FindButton(id);
}

void CMainDlg::RunCommand(int id) {
  if (!IsCommandEnabled(id))
    return;
  ExecuteCommand(id);
}

void CMainDlg::ExecuteCommand(int id) {
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
    case kMakePatchSet:
      MakePatchSet();
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
    case kHelp:
      ShowHelp();
      break;
    case kExit:
    case kCloseButton:
      Close();
      break;
    default:
      break;
  }
  // Whatever the command changed is on its way to the disk before the next one.
  SaveChanges();
  UpdateCommandStates();
}
