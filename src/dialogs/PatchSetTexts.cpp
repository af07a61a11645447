#include "dialogs/PatchSetTexts.h"

#include "db/CPatchDB.h"

std::string PatchSetEntryText(const CPatchDB& db, const std::string& filename) {
  const PatchRecord* patch = db.GetPatch(db.FindPatch(filename));
  if (patch == nullptr)
    return filename + "  (not installed)";
  return patch->PatchName + "  (" + filename + ")";
}
