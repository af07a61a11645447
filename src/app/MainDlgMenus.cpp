// The window's menus, and the one way every command runs: menu items, buttons, keys.
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "app/CListPane.h"
#include "app/CMainDlg.h"
#include "app/CSortListCtrl.h"

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
  for (QMenu* menu : {file, tools, help})
    connect(menu, &QMenu::aboutToShow, this, &CMainDlg::UpdateCommandStates);
}

QAction* CMainDlg::AddAction(QMenu* menu, const QString& text, int id) {
  QAction* action = menu->addAction(text);
  action->setData(id);
  connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
  m_actions.emplace_back(id, action);
  return action;
}

bool CMainDlg::IsCommandEnabled(int id) const {
  switch (id) {
    case kPlay:
    case kPlayButton:
    case kRemovePatch:
    case kRemovePatchButton:
      return PatchList()->GetFirstSelected() >= 0;
    case kRemoveRom:
    case kRemoveRomButton:
    case kRomProperties:
      return RomList()->GetFirstSelected() >= 0;
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
  // Whatever the command changed is on its way to the disk before the next one.
  SaveChanges();
  UpdateCommandStates();
}
