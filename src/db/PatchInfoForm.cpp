#include "db/PatchInfoForm.h"

#include "db/SizeWord.h"
#include "parser/TextUtil.h"
#include "prompt/Diagnostics.h"

namespace {

constexpr char kNeedRom[] =
    "You must specify a ROM name and ROM size in order to continue.\n\t\t\t\n(Note that the vast "
    "majority of ROMs have headers, so you should probably leave the \"Header\" option checked.)";
// The next start refuses a patch line without a name: the patch would be lost.
constexpr char kNeedName[] = "You must specify a patch name in order to continue.";

}  // namespace

bool ValidatePatchInfo(const PatchInfoForm& form, UserPrompt& prompt) {
  // brindle.dat trims its columns: a name of blanks alone would be read back as none.
  if (TrimBlanks(form.RomName).empty() ||
      SizeWordFromList(form.SizeIndex, form.Header) == kNoSize) {
    ShowPlainMessage(prompt, kNeedRom);
    return false;
  }
  if (TrimBlanks(form.PatchName).empty()) {
    ShowPlainMessage(prompt, kNeedName);
    return false;
  }
  return true;
}

void ApplyPatchInfo(const PatchInfoForm& form, PatchRecord& patch) {
  patch.RomName = form.RomName;
  patch.SizeWord = SizeWordFromList(form.SizeIndex, form.Header);
  patch.RomSize = FormatSizeText(patch.SizeWord, " No header");
  patch.PatchName = form.PatchName;
  patch.Author = form.Author;
  patch.Version = form.Version;
  patch.Description = JoinLines(form.Description);
  patch.RomDigest = form.RomDigest;
}

void ApplyPatchSetInfo(const PatchSetInfoForm& form, PatchSetRecord& set) {
  set.Author = form.Author;
  set.Version = form.Version;
  set.Description = JoinLines(form.Description);
}

std::string JoinLines(const std::string& text) {
  std::string line;
  line.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      line += ' ';
      ++i;
    } else {
      line += (c == '\r' || c == '\n') ? ' ' : c;
    }
  }
  return line;
}
