#include "play/PatchCheck.h"

#include <algorithm>

#include "db/SizeWord.h"
#include "patch/Crc32.h"
#include "patch/IpsPatch.h"
#include "patch/PatchApply.h"
#include "patch/PatchReader.h"
#include "patch/ReaderText.h"
#include "patch/SourceMatch.h"
#include "platform/ArchivePath.h"
#include "platform/CArchiveReader.h"
#include "platform/FileSystem.h"

namespace {

// What a message about a patch of a set begins with: the set, and which of its patches.
std::string SetLead(const SetStep* step) {
  if (step == nullptr)
    return {};
  return "The patch set \"" + step->setName + "\" cannot be played: its patch " +
         std::to_string(step->index + 1) + " of " + std::to_string(step->count) + " stops it.\n\n";
}

std::string CannotBePlayed(const PatchRecord& patch, const SetStep* step) {
  return SetLead(step) + "The patch \"" + patch.PatchName + "\" cannot be played:\n" +
         patch.Filename + "\n\n";
}

void ReportOtherRom(CPatchDB& db, const PatchRecord& patch, const RomRecord& rom,
                    const PatchSummary& summary, const SetStep* step) {
  // After the first patch of a set, what it is applied to is what the patches before it made.
  const std::string source =
      step != nullptr && step->index > 0
          ? patch.Filename + "\n\nThe ROM as the patches before it in the set leave it is"
          : rom.Filename + "\n\nThis ROM is";
  db.ReportError(SetLead(step) + source + " not the one the patch \"" + patch.PatchName +
                 "\" was made for: that ROM has " + ByteCount(summary.sourceSize) +
                 " and the CRC-32 " + CrcText(summary.sourceCrc) + ".");
}

void ReportWrongResult(CPatchDB& db, const PatchRecord& patch, const std::string& problem,
                       const SetStep* step) {
  db.ReportError(CannotBePlayed(patch, step) +
                 "Applied to this ROM, the patch does not give what it should: " + problem +
                 ". No emulator would play it correctly.");
}

// A BPS or UPS patch applied to the ROM's bytes, or to them behind a copier header. The source
// CRC-32 is only needed to tell a wrong ROM from a wrong patch: a result with the target's CRC-32
// came from the right bytes.
bool ApplySourcePatch(CPatchDB& db, const PatchRecord& patch, const RomRecord& rom,
                      const std::string& bytes, CheckedPatch& checked, const SetStep* step) {
  PatchSummary& summary = checked.summary;
  const PatchFormat format = PatchFormatOfFile(patch.Filename);
  PatchTarget target(checked.rom, true);
  std::string problem;
  if (!ReadPatch(bytes, format, summary, problem, &target)) {
    if (target.OtherSize())
      ReportOtherRom(db, patch, rom, summary, step);
    else
      db.ReportError(CannotBePlayed(patch, step) + NotWellFormed(format, problem));
    return false;
  }
  if (const uint32_t crc = Crc32(target.Result()); crc != summary.targetCrc) {
    if (Crc32(target.Source()) != summary.sourceCrc) {
      ReportOtherRom(db, patch, rom, summary, step);
    } else {
      ReportWrongResult(db, patch,
                        "the file it makes has the CRC-32 " + CrcText(crc) +
                            ", where the patch says " + CrcText(summary.targetCrc),
                        step);
    }
    return false;
  }
  checked.headerMisfit = target.BehindHeader();
  checked.appliedTo = target.Source().size();
  checked.result = std::move(target.Result());
  // The emulator is given the file as it is: the header stays in front of the result.
  if (checked.headerMisfit)
    checked.result.insert(0, checked.rom, 0, kCopierHeaderBytes);
  return true;
}

// The ROM's bytes, from its file or unpacked from its archive.
bool ReadRomBytes(const std::string& path, std::string& bytes, std::string* error) {
  if (const auto member = SplitArchivePath(path)) {
    return CArchiveReader::ReadMember(member->archive, member->member, kMaxPatchedRomBytes, bytes,
                                      error);
  }
  return ReadWholeFile(path, bytes, error, CFile::Mode::Read, kMaxPatchedRomBytes);
}

}  // namespace

bool CheckPatchForRom(CPatchDB& db, const PatchRecord& patch, const RomRecord& rom,
                      CheckedPatch& checked, bool headerFlip) {
  checked = CheckedPatch{};
  if (!ReadRomForPlay(db, rom, checked.rom))
    return false;
  return ApplyPatchInMemory(db, patch, rom, checked, headerFlip, nullptr);
}

bool ReadRomForPlay(CPatchDB& db, const RomRecord& rom, std::string& bytes) {
  if (std::string error; !ReadRomBytes(rom.Filename, bytes, &error)) {
    db.ReportError(rom.Filename + "\n\nThe ROM file could not be read (" + error + ").");
    return false;
  }
  return true;
}

bool ApplyPatchInMemory(CPatchDB& db, const PatchRecord& patch, const RomRecord& rom,
                        CheckedPatch& checked, bool headerFlip, const SetStep* step) {
  std::string bytes;
  std::string problem;
  if (!ReadPatchBytes(patch.Filename, bytes, problem)) {
    db.ReportError(CannotBePlayed(patch, step) + problem);
    return false;
  }
  const PatchFormat format = PatchFormatOfFile(patch.Filename);
  if (format != PatchFormat::Ips)
    return ApplySourcePatch(db, patch, rom, bytes, checked, step);

  IpsContents ips;
  if (!ReadPatch(bytes, format, checked.summary, problem) || !ParseIps(bytes, ips, problem)) {
    db.ReportError(CannotBePlayed(patch, step) + NotWellFormed(format, problem));
    return false;
  }
  if (ips.truncateTo == 0) {
    ReportWrongResult(db, patch, "it cuts the file to 0 bytes", step);
    return false;
  }
  // Made without the header the file has: applied behind it. Made with one the file lacks:
  // applied behind a blank one, which is taken off again.
  const bool behindHeader = headerFlip && !HasHeader(patch.SizeWord);
  if (behindHeader && checked.rom.size() < kCopierHeaderBytes) {
    ReportWrongResult(db, patch, "the ROM file is shorter than a copier header", step);
    return false;
  }
  checked.headerMisfit = headerFlip;
  checked.patchHeadered = headerFlip && !behindHeader;
  if (behindHeader)
    checked.result = checked.rom.substr(kCopierHeaderBytes);
  else if (headerFlip)
    checked.result = std::string(kCopierHeaderBytes, '\0') + checked.rom;
  else
    checked.result = checked.rom;
  checked.appliedTo = checked.result.size();
  ApplyIps(ips, checked.result);
  if (behindHeader)
    checked.result.insert(0, checked.rom, 0, kCopierHeaderBytes);
  else if (headerFlip)
    checked.result.erase(0, std::min(checked.result.size(), kCopierHeaderBytes));
  return true;
}
