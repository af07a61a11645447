#include <memory>
#include <vector>

#include "db/ArchivedRoms.h"
#include "db/CPatchDB.h"
#include "db/FileKinds.h"
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

namespace {

// What a read ROM must have before the database can keep it; empty when it has it.
std::string CheckReadRom(const std::string& path, const RomRecord& rom) {
  // A digest that could not be computed must not be stored as if it were one.
  if (rom.RomDigest == CPatchDB::kInvalidFileHashText)
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

// Each ROM member of the archive at `path`, in the archive's order, as the database can keep it.
std::vector<CPatchDB::RomRead> ReadArchiveRoms(const std::string& path) {
  std::vector<CPatchDB::RomRead> roms = IdentifyArchiveRoms(path);
  for (CPatchDB::RomRead& read : roms) {
    const std::string& memberPath = read.rom.Filename;
    if (!read.error.empty())
      continue;
    // A member read back from its path must be this archive's.
    const auto split = SplitArchivePath(memberPath);
    if (!IsStorablePath(memberPath) || !split || split->archive != path)
      read.error = RomRefusalHead(memberPath) + kUnstorablePath;
    else
      read.error = CheckReadRom(memberPath, read.rom);
  }
  return roms;
}

}  // namespace

std::string CPatchDB::ReadRomFile(const std::string& path, RomRecord& rom) {
  if (!IsStorablePath(path))
    return RomRefusalHead(path) + kUnstorablePath;
  if (const auto member = SplitArchivePath(path)) {
    // A file of its own whose path reads as an archive's member would be taken for that member.
    if (CFile file; file.Open(path, CFile::Mode::Read))
      return RomRefusalHead(path) + kUnstorablePath;
    if (std::string error = ReadArchivedRom(*member, path, rom); !error.empty())
      return error;
    return CheckReadRom(path, rom);
  }
  CFile file;
  if (std::string error; !file.Open(path, CFile::Mode::Read, &error))
    return "Could not open ROM file.\n" + error;
  if (!IdentifyRom(file, path, rom))
    return "The ROM file is too large to be a SNES ROM image.";
  file.Close();
  return CheckReadRom(path, rom);
}

std::vector<CPatchDB::RomRead> CPatchDB::ReadRoms(const std::string& path) {
  if (IsArchiveFileName(path) && !SplitArchivePath(path))
    return ReadArchiveRoms(path);
  std::vector<RomRead> roms(1);
  roms.front().error = ReadRomFile(path, roms.front().rom);
  return roms;
}

bool CPatchDB::AddRom(const std::string& path) {
  bool added = false;
  for (RomRead& read : ReadRoms(path)) {
    if (!read.error.empty())
      ReportError(read.error);
    else
      added |= AddIdentifiedRom(std::make_unique<RomRecord>(std::move(read.rom)));
  }
  return added;
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
  // The emulator applies the patch; it is read here only to make sure it is one, and, when the
  // ROM it was made for is installed, that it makes what it should of it.
  PatchSummary summary;
  std::string problem;
  std::string bytes;
  if (!ReadPatchFile(path, summary, problem, &bytes)) {
    ReportError(PatchRefusalHead(path) + problem);
    return false;
  }
  const RomRecord* sourceRom = FindPatchSourceRom(summary);
  if (sourceRom != nullptr) {
    if (const std::string wrong = WrongPatchResult(bytes, summary, *sourceRom); !wrong.empty()) {
      ReportError(PatchRefusalHead(path) + wrong);
      return false;
    }
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
    if (sourceRom != nullptr)
      FillTargetRom(*patch, *sourceRom);
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
