#include <memory>
#include <vector>

#include "db/CPatchDB.h"
#include "db/SizeWord.h"
#include "parser/TextUtil.h"
#include "patch/PatchReader.h"
#include "platform/FileSystem.h"
#include "prompt/Diagnostics.h"

namespace {

constexpr char kUnstorablePath[] =
    "The file name contains characters that the database cannot store.";
std::string NoPatchInfoFile(PatchFormat format) {
  return std::string("A patch information file (*.dat) was not found for the specified ") +
         PatchFormatName(format) +
         " file.\nYou will have to enter patch information manually in order to continue.";
}
constexpr char kPatchInfoProblems[] =
    "Brindle encountered problems while parsing the patch information file.\n\t\t\t\t\n"
    "Please check the patch information to verify that it is correct.";

// A patch-information file holds a few lines of text.
constexpr int64_t kMaxInfoSize = 1024 * 1024;

// What a cleanly read information file leaves out that the record cannot do without: its name
// and its target ROM would be refused the next time brindle.dat is read (its columns are trimmed
// there), and the patch would be gone. Empty when nothing is missing.
std::string MissingPatchInfo(const PatchRecord& patch) {
  std::vector<std::string> missing;
  if (TrimBlanks(patch.PatchName).empty())
    missing.push_back("the patch's name (name)");
  if (TrimBlanks(patch.RomName).empty())
    missing.push_back("the ROM's name (romname)");
  if (TrimBlanks(patch.RomSize).empty())
    missing.push_back("the ROM's size (romsize)");
  else if (patch.SizeWord == kNoSize)
    missing.push_back("a ROM size in megabits (romsize)");
  if (missing.empty())
    return {};
  std::string list = missing.front();
  for (size_t i = 1; i < missing.size(); ++i)
    list += (i + 1 == missing.size() ? " or " : ", ") + missing[i];
  return "The patch information file does not give " + list +
         ".\nPlease enter the missing information in order to continue.";
}

std::string RomRefusalHead(const std::string& filename) {
  return "Cannot add ROM to database:\n" + filename + "\n\n";
}

std::string PatchRefusalHead(const std::string& filename) {
  return "Cannot add patch to database:\n" + filename + "\n\n";
}

// brindle.dat separates its columns with "|" and its records with line ends, has no escape for
// either, and trims blanks and tabs around every column: such a path would come back as another
// file.
bool IsStorablePath(const std::string& path) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  return path.find_first_of("|\r\n") == std::string::npos &&
         (path.empty() || (!isBlank(path.front()) && !isBlank(path.back())));
}

// Makes the patch target `rom` as FindRom finds it, whatever IgnoreParens says.
void FillTargetRom(PatchRecord& patch, const RomRecord& rom) {
  patch.RomName = rom.UseForcedName ? rom.ForcedName : rom.RomName;
  patch.RomSize = rom.RomSize;
  patch.SizeWord = rom.SizeWord;
  patch.RomDigest = rom.RomDigest;
}

}  // namespace

std::string CPatchDB::ReadRomFile(const std::string& path, RomRecord& rom) {
  if (!IsStorablePath(path))
    return RomRefusalHead(path) + kUnstorablePath;
  CFile file;
  if (std::string error; !file.Open(path, CFile::Mode::Read, &error))
    return "Could not open ROM file.\n" + error;
  if (!IdentifyRom(file, path, rom))
    return "The ROM file is too large to be a SNES ROM image.";
  file.Close();
  // A digest that could not be computed must not be stored as if it were one.
  if (rom.RomDigest == kInvalidFileHashText)
    return "Could not read ROM file.";
  // A record without a name is dropped by the next start, which reads it as damaged; line
  // breaks are written as blanks, so a name of nothing else is no name either.
  std::string stored = rom.RomName;
  for (char& c : stored) {
    if (c == '\r' || c == '\n')
      c = ' ';
  }
  if (TrimBlanks(stored).empty())
    return RomRefusalHead(path) +
           "The ROM's internal name is empty, so the database cannot keep it.";
  return {};
}

bool CPatchDB::AddRom(const std::string& path) {
  auto rom = std::make_unique<RomRecord>();
  if (const std::string error = ReadRomFile(path, *rom); !error.empty()) {
    ReportError(error);
    return false;
  }
  return AddIdentifiedRom(std::move(rom));
}

bool CPatchDB::AddIdentifiedRom(std::unique_ptr<RomRecord> rom) {
  if (!CanAddRom(*rom, -1))
    return false;
  AppendRom(std::move(rom));
  return true;
}

bool CPatchDB::CanAddRom(const RomRecord& rom, int skipIndex) {
  const char* reason = nullptr;
  for (int i = 0; i < GetRomCount() && reason == nullptr; ++i) {
    if (i == skipIndex)
      continue;
    const RomRecord& other = *m_roms[static_cast<size_t>(i)];
    if (other.Filename == rom.Filename) {
      reason = "The specified file already exists in the database.";
    } else if (other.RomDigest == rom.RomDigest) {
      reason = "The specified file is a copy of another file already in the database.";
    } else if (other.RomName == rom.RomName && other.SizeWord == rom.SizeWord) {
      reason = "The specified ROM has the same name and size as another file in the database.";
    }
  }
  if (reason == nullptr)
    return true;
  ReportError(RomRefusalHead(rom.Filename) + reason);
  return false;
}

bool CPatchDB::CanAddPatch(const PatchRecord& patch, int skipIndex) {
  for (int i = 0; i < GetPatchCount(); ++i) {
    if (i == skipIndex)
      continue;
    if (m_patches[static_cast<size_t>(i)]->Filename == patch.Filename) {
      ReportError(PatchRefusalHead(patch.Filename) +
                  "The specified patch file already exists in the database.");
      return false;
    }
  }
  return true;
}

bool CPatchDB::InstallPatch(const std::string& path, const PatchInfoEditor& editPatchInfo) {
  if (!IsStorablePath(path)) {
    ReportError(PatchRefusalHead(path) + kUnstorablePath);
    return false;
  }
  if (CFile ips; !ips.Open(path, CFile::Mode::Read)) {
    ReportError("Could not open patch file.");
    return false;
  }
  auto patch = std::make_unique<PatchRecord>();
  patch->Filename = path;
  if (!CanAddPatch(*patch, -1))
    return false;
  // The emulator applies the patch; it is read here only to make sure it is one.
  PatchSummary summary;
  std::string problem;
  if (!ReadPatchFile(path, summary, problem)) {
    ReportError(PatchRefusalHead(path) + problem);
    return false;
  }

  bool ask = true;
  std::string info;
  const std::string infoPath = FindPatchInfoFile(path);
  if (std::string error; !ReadWholeFile(infoPath, info, &error, CFile::Mode::Read, kMaxInfoSize)) {
    // A FIFO, a device or a huge file is refused at once rather than waited for or read whole.
    if (IsMissing(infoPath)) {
      ShowPlainMessage(m_prompt, NoPatchInfoFile(summary.format));
    } else {
      ReportError("Could not read the patch information file " + infoPath + " (" + error +
                  ").\nYou will have to enter patch information manually in order to continue.");
    }
    // Most ROMs have a copier header: the form starts with it ticked and no size chosen.
    patch->SizeWord = kHeaderFlag;
    // A patch that names the ROM it was made for by its CRC-32 finds it among those installed.
    if (const RomRecord* rom = FindPatchSourceRom(summary))
      FillTargetRom(*patch, *rom);
  } else {
    const bool clean = ReadPatchInfo(info, *patch);
    const std::string missing = MissingPatchInfo(*patch);
    ask = !clean || !missing.empty();
    if (!clean)
      ShowPlainMessage(m_prompt, kPatchInfoProblems);
    else if (!missing.empty())
      ShowPlainMessage(m_prompt, missing);
  }
  if (ask && !editPatchInfo(*patch))
    return false;
  AppendPatch(std::move(patch));
  return true;
}
