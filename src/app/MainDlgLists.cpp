// The window's two lists: their panes, the texts of their rows and the rows themselves.
#include "app/CListPane.h"
#include "app/CMainDlg.h"
#include "app/CSortListCtrl.h"

namespace {

// The two panes, in dialog units below the menu bar. Each heading carries its list's filter
// field at its right end.
constexpr ControlRow kPatchControls[] = {
    {CMainDlg::kInstalledPatchesLabel, ControlKind::SunkenLabel, "InstalledPatches",
     "  Installed Patches", 67, 7, 402, 11},
    {-1, ControlKind::EtchedLine, "PlayLine", "", 8, 45, 55, 1},
    {CMainDlg::kPlayButton, ControlKind::FlatButton, "PlayPatch", "Play Patch", 7, 49, 55, 12},
    {-1, ControlKind::EtchedLine, "PatchLine", "", 8, 64, 55, 1},
    {CMainDlg::kAddPatchButton, ControlKind::FlatButton, "AddPatch", "Add Patch...", 7, 67, 55, 12},
    {CMainDlg::kRemovePatchButton, ControlKind::FlatButton, "RemovePatch", "Remove Patch", 7, 81,
     55, 12},
};
constexpr PaneMenuEntry kPatchMenu[] = {
    {"Play This &Patch     \tSpace", CMainDlg::kPlay},
    {nullptr, 0},
    {"&Remove Patch            \tDel", CMainDlg::kRemovePatch},
    {"Install &New Patch...\t", CMainDlg::kAddPatch},
    {"Make Patch &Set...", CMainDlg::kMakePatchSet},
    {nullptr, 0},
    {"P&roperties...", CMainDlg::kPatchProperties},
};
// Enter, Space and a double-click play, even on the empty part of the list; Del removes.
constexpr PaneKey kPatchKeys[] = {{Qt::Key_Return, CMainDlg::kPlay},
                                  {Qt::Key_Enter, CMainDlg::kPlay},
                                  {Qt::Key_Space, CMainDlg::kPlay},
                                  {PaneKey::kDoubleClick, CMainDlg::kPlay},
                                  {Qt::Key_Delete, CMainDlg::kRemovePatch}};
const ListPaneLayout kPatchPane = {
    "Patch",
    {CMainDlg::kPatchList, ControlKind::Label, "PatchList", "", 67, 20, 402, 114},
    kPatchControls,
    {-1, ControlKind::Edit, "PatchFilter", "", 329, 7, 140, 11},
    "Patch Name,200;Author,85;Version,100;Platform,140;Filename,300;ROM Digest,200;",
    kPatchMenu,
    kPatchKeys,
};

constexpr ControlRow kRomControls[] = {
    {CMainDlg::kInstalledRomsLabel, ControlKind::SunkenLabel, "InstalledRoms", "  Installed ROMs",
     67, 136, 402, 11},
    {-1, ControlKind::EtchedLine, "RomLine", "", 8, 171, 54, 1},
    {CMainDlg::kAddRomButton, ControlKind::FlatButton, "AddRom", "Add ROM...", 7, 176, 55, 12},
    {CMainDlg::kRemoveRomButton, ControlKind::FlatButton, "RemoveRom", "Remove ROM", 7, 191, 55,
     12},
};
constexpr PaneMenuEntry kRomMenu[] = {
    {"&Install ROM...", CMainDlg::kAddRom},
    {"&Remove ROM     \tDel", CMainDlg::kRemoveRom},
    {nullptr, 0},
    {"&Properties...\tEnter", CMainDlg::kRomProperties},
};
// Enter shows the selected ROM's information; Del removes.
constexpr PaneKey kRomKeys[] = {{Qt::Key_Return, CMainDlg::kRomProperties},
                                {Qt::Key_Enter, CMainDlg::kRomProperties},
                                {Qt::Key_Delete, CMainDlg::kRemoveRom}};
const ListPaneLayout kRomPane = {
    "Rom",
    {CMainDlg::kRomList, ControlKind::Label, "RomList", "", 67, 148, 402, 95},
    kRomControls,
    {-1, ControlKind::Edit, "RomFilter", "", 329, 136, 140, 11},
    "ROM Name,120;Size,80;Filename,256;MD5 Digest,140",
    kRomMenu,
    kRomKeys,
};

}  // namespace

const ListPaneLayout& CMainDlg::PatchPaneLayout() {
  return kPatchPane;
}

const ListPaneLayout& CMainDlg::RomPaneLayout() {
  return kRomPane;
}

std::string_view CMainDlg::PatchCellText(int index, int column, std::string& scratch) const {
  if (const int set = SetOfRowValue(index); set >= 0)
    return PatchSetCellText(set, column, scratch);
  const PatchRecord* p = m_db.GetPatch(index);
  if (p == nullptr)
    return {};
  switch (column) {
    case 0:
      return p->PatchName;
    case 1:
      return p->Author;
    case 2:
      return p->Version;
    case 3:
      scratch.assign(p->RomName).append(" (").append(p->RomSize).append(")");
      return scratch;
    case 4:
      return p->Filename;
    case 5:
      return p->RomDigest;
    default:
      return {};
  }
}

std::string CMainDlg::RomDisplayName(const RomRecord& rom) const {
  const std::string name = m_db.ShownRomName(rom);
  return name == rom.RomName ? name : "[" + name + "]";
}

std::string_view CMainDlg::RomCellText(int index, int column, std::string& scratch) const {
  const RomRecord* r = m_db.GetRom(index);
  if (r == nullptr)
    return {};
  switch (column) {
    case 0:
      scratch = RomDisplayName(*r);
      return scratch;
    case 1:
      return r->RomSize;
    case 2:
      return r->Filename;
    case 3:
      return r->RomDigest;
    default:
      return {};
  }
}

void CMainDlg::FillPatchList() {
  std::vector<int32_t> sets(static_cast<size_t>(m_db.GetSetCount()));
  for (size_t set = 0; set < sets.size(); ++set)
    sets[set] = SetRowValue(static_cast<int>(set));
  PatchList()->FillRows(m_db.GetPatchCount(), sets);
  UpdateCommandStates();
}

void CMainDlg::FillRomList() {
  RomList()->FillRows(m_db.GetRomCount());
  UpdateCommandStates();
}

void CMainDlg::RefreshRows(CSortListCtrl& list) {
  list.RefreshRows();
}

void CMainDlg::RefreshRow(CSortListCtrl& list, int row) {
  if (row >= 0 && row < list.GetRowCount())
    list.RefreshRow(row);
}

void CMainDlg::SelectRecord(CSortListCtrl& list, int index) {
  if (index == -1)
    return;
  for (int row = 0; row < list.GetRowCount(); ++row) {
    if (list.GetItemValue(row) == index) {
      list.SelectRow(row);
      list.scrollTo(list.GetModel()->index(row, 0));
      return;
    }
  }
}

int32_t CMainDlg::SelectedPatchEntry() const {
  const CSortListCtrl& list = *PatchList();
  const int row = list.GetFirstSelected();
  if (row < 0 || list.GetFirstSelected(row) >= 0)
    return -1;
  return list.GetItemValue(row);
}

int CMainDlg::SelectedPatch() const {
  const int32_t entry = SelectedPatchEntry();
  return entry >= 0 ? entry : -1;
}

int CMainDlg::SelectedRom() const {
  const CSortListCtrl& list = *RomList();
  const int row = list.GetFirstSelected();
  return row < 0 || list.GetFirstSelected(row) >= 0 ? -1 : list.GetItemValue(row);
}
