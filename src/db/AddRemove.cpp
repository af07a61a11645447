#include <memory>

#include "db/CPatchDB.h"
#include "parser/TextUtil.h"

namespace {

std::string RomRefusalHead(const std::string& filename) {
  return "Cannot add ROM to database:\n" + filename + "\n\n";
}

// brindle.dat separates its columns with "|" and its records with line ends, has no escape for
// either, and trims blanks and tabs around every column: such a path would come back as another
// file.
bool IsStorablePath(const std::string& path) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  return path.find_first_of("|\r\n") == std::string::npos &&
         (path.empty() || (!isBlank(path.front()) && !isBlank(path.back())));
}

}  // namespace

bool CPatchDB::AddRom(const std::string& path) {
  if (!IsStorablePath(path)) {
    ReportError(RomRefusalHead(path) +
                "The file name contains characters that the database cannot store.");
    return false;
  }
  CFile file;
  if (!file.Open(path, CFile::Mode::Read)) {
    ReportError("Could not open ROM file.");
    return false;
  }
  auto rom = std::make_unique<RomRecord>();
  if (!IdentifyRom(file, path, *rom)) {
    ReportError("The ROM file is too large to be a SNES ROM image.");
    return false;
  }
  file.Close();
  // A digest that could not be computed must not be stored as if it were one.
  if (rom->RomDigest == kInvalidFileHashText) {
    ReportError("Could not read ROM file.");
    return false;
  }
  // A record without a name is dropped by the next start, which reads it as damaged.
  if (TrimBlanks(rom->RomName).empty()) {
    ReportError(RomRefusalHead(path) +
                "The ROM's internal name is empty, so the database cannot keep it.");
    return false;
  }
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
      ReportError("Cannot add patch to database:\n" + patch.Filename + "\n\n" +
                  "The specified patch file already exists in the database.");
      return false;
    }
  }
  return true;
}
