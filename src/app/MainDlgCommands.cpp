// The window's commands: playing, installing and removing, the information dialogs and the
// Options dialog.
#include <algorithm>

#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QUrl>

#include "app/CMainDlg.h"
#include "app/CQtPrompt.h"
#include "app/CSortListCtrl.h"
#include "app/MainDlgTexts.h"
#include "db/EmulatorChoice.h"
#include "db/FileKinds.h"
#include "platform/ArchivePath.h"
#include "platform/Folders.h"
#include "prompt/Diagnostics.h"

namespace {

std::vector<std::string> DroppedFiles(const QMimeData* data) {
  std::vector<std::string> paths;
  if (data == nullptr)
    return paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile())
      continue;
    std::string path = QFile::encodeName(url.toLocalFile()).toStdString();
    if (IsPatchFileName(path) || IsRomFileName(path) || IsArchiveFileName(path))
      paths.push_back(std::move(path));
  }
  return paths;
}

}  // namespace

void CMainDlg::ShowOptions(OptionsPage page) {
  m_env.showOptions(m_db, page, m_env.appDir, m_prompt, this);
  PatchList()->SetGridLines(m_db.GridLines);
  RomList()->SetGridLines(m_db.GridLines);
  LoadBackground();  // and repaints
  RefreshRows(*RomList());
  RefreshRows(*PatchList());
}

void CMainDlg::Play() {
  if (!IsEmulatorSetUp(m_db)) {
    ShowPlainMessage(m_prompt, NoEmulatorText(m_db));
    ShowOptions(kEmulatorPage);
    return;
  }
  // A patch's row or a set's.
  const int32_t entry = SelectedPatchEntry();
  if (entry == -1 || m_playing)
    return;
  m_playing = true;
  // Hiding the window hands the keyboard on to its next control (a button), where the Enter
  // that started the play, and the next one, would press it: it comes back where it was.
  const QPointer<QWidget> focus = focusWidget();
  // Hidden for the length of the game (Run's loop goes on, as exec()'s would not).
  hide();
  // The play blocks this thread: make the window system see the window go before it starts.
  QGuiApplication::sync();
  // A box of the play's comes over the window, shown again for it, rather than alone on the
  // screen.
  auto* qtPrompt = dynamic_cast<CQtPrompt*>(&m_prompt);
  m_dbPrompt.SetBeforeBox([this, qtPrompt] {
    if (qtPrompt != nullptr)
      qtPrompt->SetOwner(this);
    if (!isVisible())
      ShowAgain();
  });
  // A termination signal handled meanwhile has already ended the window: nothing is played.
  if (!m_closing) {
    if (const int set = SetOfRowValue(entry); set >= 0)
      m_db.PlayPatchSet(set);
    else
      m_db.PlayPatch(entry);
    ShowAgain();
  }
  m_dbPrompt.SetBeforeBox({});
  if (qtPrompt != nullptr)
    qtPrompt->SetOwner(nullptr);
  m_playing = false;
  if (focus)
    focus->setFocus();
  // The patch played (or not) stays selected, where the window shows it.
  SelectRecord(*PatchList(), entry);
}

void CMainDlg::ShowHelp() {
  const std::string& guide = m_env.userGuide;
  if (GetPathKind(guide) != PathKind::File) {
    m_prompt.Ask({"The user guide is not installed. Brindle looked for it here:\n" + guide,
                  kAppTitle, BoxIcon::Warning, BoxButtons::Ok});
    return;
  }
  if (!m_env.openInViewer(guide)) {
    m_prompt.Ask(
        {"The desktop has no viewer that could open the user guide. You can open it in a "
         "web browser:\n" +
             guide,
         kAppTitle, BoxIcon::Warning, BoxButtons::Ok});
  }
}

void CMainDlg::ShowAgain() {
  showNormal();
  raise();
  activateWindow();
}

void CMainDlg::RemovePatch() {
  const CSortListCtrl& list = *PatchList();
  if (const int first = list.GetFirstSelected(); first >= 0 && list.GetFirstSelected(first) >= 0) {
    RemoveSelectedEntries();
    return;
  }
  const int32_t entry = SelectedPatchEntry();
  if (const int set = SetOfRowValue(entry); set >= 0) {
    RemovePatchSet(set);
    return;
  }
  const int patch = SelectedPatch();
  if (patch < 0)
    return;
  const PatchRecord& record = *m_db.GetPatch(patch);
  const std::vector<std::string> sets = m_db.SetsUsingPatch(record.Filename);
  const std::string text = RemovePatchQuestion(record.PatchName, record.Filename, sets);
  const bool removed =
      m_prompt.Ask({text, kAppTitle, BoxIcon::Warning, BoxButtons::YesNo}) == BoxAnswer::Yes;
  if (removed) {
    for (const std::string& name : sets)
      m_db.RemoveSet(m_db.FindSet(name));
    m_db.RemovePatch(patch);
  }
  FillPatchList();
  // Refused, the same patch stays selected.
  if (!removed)
    SelectRecord(*PatchList(), patch);
}

void CMainDlg::AddRom() {
  const std::string path = m_env.chooseRomFile(this);
  if (!path.empty())
    m_db.AddRom(path);
  FillRomList();
}

void CMainDlg::RemoveRom() {
  std::vector<int> roms;
  const CSortListCtrl& list = *RomList();
  for (int row = list.GetFirstSelected(); row >= 0; row = list.GetFirstSelected(row))
    roms.push_back(list.GetItemValue(row));
  if (roms.size() > 1) {
    // Several: one question; refused, nothing changes and the rows stay selected.
    const std::string text = "Are you sure you want to remove " + std::to_string(roms.size()) +
                             " ROMs from the database?\n\nThis will NOT remove the ROM files "
                             "from your hard drive.";
    if (m_prompt.Ask({text, kAppTitle, BoxIcon::Warning, BoxButtons::YesNo}) != BoxAnswer::Yes)
      return;
    std::sort(roms.rbegin(), roms.rend());
    for (const int rom : roms)
      m_db.RemoveRom(rom);
    FillRomList();
    return;
  }
  const int rom = SelectedRom();
  if (rom < 0)
    return;
  const RomRecord& record = *m_db.GetRom(rom);
  const std::string text = "Are you sure you want to remove the ROM \"" + record.RomName + " (" +
                           record.RomSize +
                           ")\" from the database?\n\nThis will NOT remove the ROM file from your "
                           "hard drive.";
  const bool removed =
      m_prompt.Ask({text, kAppTitle, BoxIcon::Warning, BoxButtons::YesNo}) == BoxAnswer::Yes;
  if (removed)
    m_db.RemoveRom(rom);
  FillRomList();
  if (!removed)
    SelectRecord(*RomList(), rom);
}

bool CMainDlg::InstallPatch(const std::string& path) {
  return m_db.InstallPatch(path, [this](PatchRecord& patch) {
    // Not opened once a termination signal is ending the window.
    return !m_closing && m_env.editPatchInfo(patch, true, m_prompt, this);
  });
}

void CMainDlg::InstallCommandLinePatch(const std::string& path) {
  const bool installed = InstallPatch(path);
  // A termination signal cancelled the Patch Information dialog: nothing more is asked.
  if (m_closing)
    return;  // what was installed is written at shutdown
  if (!installed) {
    m_prompt.Ask(
        {"The patch was not added to the database.", kAppTitle, BoxIcon::Error, BoxButtons::Ok});
    return;
  }
  SaveChanges();
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
  // On disk before the summary says it is done.
  if (run.Run([this] {
        SaveChanges();
        WaitForWrites();
      })) {
    FillPatchList();
    FillRomList();
  }
}

void CMainDlg::ShowPatchProperties() {
  const int row = PatchList()->GetFirstSelected();
  if (row < 0)
    return;
  if (const int set = SetOfRowValue(PatchList()->GetItemValue(row)); set >= 0) {
    ShowPatchSetProperties(row, set);
    return;
  }
  PatchRecord& patch = *m_db.GetPatch(PatchList()->GetItemValue(row));
  const PatchRecord before = patch;
  m_env.editPatchInfo(patch, m_db.AllowEdit, m_prompt, this);
  if (!(patch == before))
    m_db.MarkChanged();
  RefreshRow(*PatchList(), row);
}

void CMainDlg::ShowRomProperties() {
  if (SelectedRom() < 0)
    return;
  const int row = RomList()->GetFirstSelected();
  RomRecord& rom = *m_db.GetRom(RomList()->GetItemValue(row));
  const RomRecord before = rom;
  m_env.editRomInfo(rom, m_db, m_prompt, this);
  if (!(rom == before))
    m_db.MarkChanged();
  RefreshRow(*RomList(), row);
}

void CMainDlg::InstallFiles(const std::vector<std::string>& paths) {
  bool patches = false;
  bool roms = false;
  for (const std::string& path : paths) {
    if (IsPatchFileName(path))
      patches |= InstallPatch(path);
    else if (IsRomFileName(path) || IsArchiveFileName(path))
      roms |= m_db.AddRom(path);
  }
  if (patches)
    FillPatchList();
  if (roms)
    FillRomList();
  SaveChanges();
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
