// The window's commands: playing, installing and removing, the information dialogs and the
// Options dialog.
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

#include "app/CMainDlg.h"
#include "app/CSortListCtrl.h"
#include "db/EmulatorChoice.h"
#include "db/FileKinds.h"
#include "platform/ArchivePath.h"
#include "prompt/Diagnostics.h"

namespace {

constexpr char kNoEmulator[] =
    "Brindle does not have a ZSNES installation configured.\n\t\t\t\t\t\t\nYou must register "
    "ZSNES with Brindle before you can run patches.";

// The box above for ZSNES; the same for the others, in their own words.
std::string NoEmulatorText(const CPatchDB& db) {
  const EmulatorKind kind = ChosenEmulator(db);
  if (kind == EmulatorKind::Zsnes)
    return kNoEmulator;
  return std::string("Brindle does not have ") + EmulatorName(kind) +
         " set up.\n\nYou must choose " + EmulatorSetUpWords(kind) +
         " in Options, on the emulator page, before you can run patches.";
}

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
  const int row = PatchList()->GetFirstSelected();
  if (row < 0)
    return;
  m_env.editPatchInfo(*m_db.GetPatch(PatchList()->GetItemValue(row)), m_db.AllowEdit, m_prompt,
                      this);
  RefreshRow(*PatchList(), row);
}

void CMainDlg::ShowRomProperties() {
  const int row = RomList()->GetFirstSelected();
  if (row < 0)
    return;
  m_env.editRomInfo(*m_db.GetRom(RomList()->GetItemValue(row)), m_db, m_prompt, this);
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
