// Patch sets in the window: their rows in the patch list, making one, its information, removing
// it.
#include <algorithm>

#include "app/CMainDlg.h"
#include "app/CSortListCtrl.h"
#include "app/MainDlgTexts.h"
#include "prompt/Diagnostics.h"

std::string_view CMainDlg::PatchSetCellText(int set, int column, std::string& scratch) const {
  const PatchSetRecord* s = m_db.GetSet(set);
  if (s == nullptr)
    return {};
  switch (column) {
    case 0:
      return s->SetName;
    case 1:
      return s->Author;
    case 2:
      return s->Version;
    case 3:
      scratch.assign(s->RomName).append(" (").append(s->RomSize).append(")");
      return scratch;
    case 4:
      // Where a patch shows its file, a set says what it is and names its patches' files.
      scratch = PatchSetFilesText(s->Patches);
      return scratch;
    case 5:
      return s->RomDigest;
    default:
      return {};
  }
}

std::vector<int> CMainDlg::PatchesForASet() const {
  std::vector<int> patches;
  const CSortListCtrl& list = *PatchList();
  for (int row = list.GetFirstSelected(); row >= 0; row = list.GetFirstSelected(row)) {
    const int32_t value = list.GetItemValue(row);
    if (value < 0 || patches.size() == PatchSetRecord::kMostPatches)
      return {};
    if (!patches.empty() && !m_db.SameTargetRom(*m_db.GetPatch(patches[0]), *m_db.GetPatch(value)))
      return {};
    patches.push_back(value);
  }
  if (patches.size() < PatchSetRecord::kLeastPatches)
    return {};
  return patches;
}

void CMainDlg::MakePatchSet() {
  const std::vector<int> patches = PatchesForASet();
  if (patches.empty() || !m_env.makePatchSet(m_db, patches, this))
    return;
  FillPatchList();
  SelectRecord(*PatchList(), SetRowValue(m_db.GetSetCount() - 1));
}

void CMainDlg::RemovePatchSet(int set) {
  const std::string text = RemovePatchSetQuestion(m_db.GetSet(set)->SetName);
  const bool removed =
      m_prompt.Ask({text, kAppTitle, BoxIcon::Warning, BoxButtons::YesNo}) == BoxAnswer::Yes;
  if (removed)
    m_db.RemoveSet(set);
  FillPatchList();
  if (!removed)
    SelectRecord(*PatchList(), SetRowValue(set));
}

void CMainDlg::RemoveSelectedEntries() {
  std::vector<int> patches;
  std::vector<std::string> patchNames, setNames, goingSets;
  const CSortListCtrl& list = *PatchList();
  for (int row = list.GetFirstSelected(); row >= 0; row = list.GetFirstSelected(row)) {
    const int32_t value = list.GetItemValue(row);
    if (const int set = SetOfRowValue(value); set >= 0) {
      setNames.push_back(m_db.GetSet(set)->SetName);
    } else if (value >= 0) {
      patches.push_back(value);
      patchNames.push_back(m_db.GetPatch(value)->PatchName);
    }
  }
  const auto listed = [](const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  for (const int patch : patches) {
    for (std::string& name : m_db.SetsUsingPatch(m_db.GetPatch(patch)->Filename)) {
      if (!listed(setNames, name) && !listed(goingSets, name))
        goingSets.push_back(std::move(name));
    }
  }
  const std::string text = RemoveEntriesQuestion(patchNames, setNames, goingSets);
  // Refused, nothing changes and the rows stay selected.
  if (m_prompt.Ask({text, kAppTitle, BoxIcon::Warning, BoxButtons::YesNo}) != BoxAnswer::Yes)
    return;
  for (const auto* names : {&setNames, &goingSets}) {
    for (const std::string& name : *names)
      m_db.RemoveSet(m_db.FindSet(name));
  }
  std::sort(patches.rbegin(), patches.rend());
  for (const int patch : patches)
    m_db.RemovePatch(patch);
  FillPatchList();
}

void CMainDlg::ShowPatchSetProperties(int row, int set) {
  PatchSetRecord& record = *m_db.GetSet(set);
  const PatchSetRecord before = record;
  m_env.editPatchSetInfo(record, m_db, m_db.AllowEdit, this);
  if (!(record == before))
    m_db.MarkChanged();
  RefreshRow(*PatchList(), row);
}
