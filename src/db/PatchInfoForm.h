#pragma once

#include <string>

#include "db/PatchRecord.h"
#include "db/PatchSetRecord.h"
#include "prompt/UserPrompt.h"

/// What the Patch Information form holds when the user confirms it. Texts are bytes, exactly as
/// they go into the record.
struct PatchInfoForm {
  std::string PatchName;
  std::string Author;
  std::string Version;
  std::string RomName;
  std::string RomDigest;
  std::string Description;
  int SizeIndex = -1;  // the chosen entry of the ROM size list; -1 when none is chosen
  bool Header = false;
};

/// False, after a message box, when the form lacks what a patch record needs.
bool ValidatePatchInfo(const PatchInfoForm& form, UserPrompt& prompt);
/// Writes the form into the record; the record's file name is never changed.
void ApplyPatchInfo(const PatchInfoForm& form, PatchRecord& patch);
/// What the Patch Information form of a patch set holds when the user confirms it: the fields of
/// a set that can be edited (its name names its saves, its patches and ROM are chosen when it is
/// made).
struct PatchSetInfoForm {
  std::string Author;
  std::string Version;
  std::string Description;
};

/// Writes the form into the set, the description on one line.
void ApplyPatchSetInfo(const PatchSetInfoForm& form, PatchSetRecord& set);
/// The text on one line: each CR LF pair, then each other LF, then each other CR becomes a blank.
std::string JoinLines(const std::string& text);
