#include "play/PatchChain.h"

#include <algorithm>

#include "parser/TextUtil.h"
#include "patch/IpsPatch.h"
#include "patch/PatchReader.h"
#include "patch/ReaderText.h"
#include "play/PatchCheck.h"

bool FindSetPatches(CPatchDB& db, const PatchSetRecord& set,
                    std::vector<const PatchRecord*>& patches) {
  patches.clear();
  for (const std::string& path : set.Patches) {
    const PatchRecord* patch = db.GetPatch(db.FindPatch(path));
    if (patch == nullptr) {
      db.ReportError("The patch set \"" + set.SetName + "\" cannot be played: its patch\n" + path +
                     "\nis no longer installed.\n\nInstall that patch again, or make the set "
                     "anew without it.");
      return false;
    }
    patches.push_back(patch);
  }
  return true;
}

bool CheckSetForRom(CPatchDB& db, const PatchSetRecord& set, const RomRecord& rom, bool headerFlip,
                    PatchChain& chain) {
  chain.steps.assign(chain.patches.size(), CheckedPatch{});
  std::string romBytes = std::move(chain.whole.rom);
  chain.whole = CheckedPatch{};
  chain.whole.rom = std::move(romBytes);
  const std::string* source = &chain.whole.rom;
  for (size_t i = 0; i < chain.patches.size(); ++i) {
    const PatchRecord& patch = *chain.patches[i];
    CheckedPatch& step = chain.steps[i];
    step.rom = *source;
    const SetStep where{set.SetName, i, chain.patches.size()};
    const bool flip = headerFlip && PatchFormatOfFile(patch.Filename) == PatchFormat::Ips;
    if (!ApplyPatchInMemory(db, patch, rom, step, flip, &where))
      return false;
    source = &step.result;
  }
  chain.whole.result = *source;
  chain.whole.appliedTo = chain.whole.rom.size();
  return true;
}

// Every step of a set has a name of RetroArch's series.
static_assert(PatchSetRecord::kMostPatches <= kMostSeriesPatches);

std::string SeriesPatchName(const std::string& base, PatchFormat format, size_t index) {
  std::string name = base + "." + AsciiLowerCopy(PatchFormatName(format));
  if (index > 0)
    name += std::to_string(index);
  return name;
}

namespace {

// The IPS file when it makes `result` of `rom`, as an emulator that applies every record in
// order (and, with `sizeCut`, the size after the end marker) would.
std::optional<std::string> IfItGives(std::string ips, const std::string& rom,
                                     const std::string& result, bool sizeCut) {
  IpsContents parsed;
  std::string error;
  if (!ParseIps(ips, parsed, error) || (parsed.truncateTo && !sizeCut))
    return std::nullopt;
  std::string data = rom;
  ApplyIps(parsed, data);
  if (data != result)
    return std::nullopt;
  return ips;
}

// The records of every patch in order: an IPS patch's own, for the others what they change.
std::optional<std::string> RecordsInOrder(const PatchChain& chain, bool sizeCut) {
  std::vector<std::string> files(chain.patches.size());
  std::vector<IpsRecord> records;
  for (size_t i = 0; i < chain.patches.size(); ++i) {
    const CheckedPatch& step = chain.steps[i];
    std::string error;
    IpsContents ips;
    if (step.summary.format != PatchFormat::Ips || step.headerMisfit) {
      const std::vector<IpsRecord> changes = DiffIps(step.rom, step.result);
      records.insert(records.end(), changes.begin(), changes.end());
    } else if (ReadPatchBytes(chain.patches[i]->Filename, files[i], error) &&
               ParseIps(files[i], ips, error)) {
      records.insert(records.end(), ips.records.begin(), ips.records.end());
    } else {
      return std::nullopt;
    }
  }
  const std::string& result = chain.whole.result;
  uint64_t reach = chain.whole.rom.size();
  for (const IpsRecord& record : records)
    reach = std::max<uint64_t>(reach, uint64_t{record.offset} + record.size);
  if (reach > kIpsOffsetLimit)
    return std::nullopt;
  std::optional<uint32_t> truncateTo;
  if (result.size() < reach)
    truncateTo = static_cast<uint32_t>(result.size());
  return IfItGives(WriteIps(records, truncateTo, result), chain.whole.rom, result, sizeCut);
}

}  // namespace

std::optional<std::string> SetAsOneIps(const PatchChain& chain, bool sizeCut) {
  if (auto ips = RecordsInOrder(chain, sizeCut))
    return ips;
  if (auto ips = MakeIps(chain.whole.rom, chain.whole.result))
    return IfItGives(std::move(*ips), chain.whole.rom, chain.whole.result, sizeCut);
  return std::nullopt;
}

std::string OneIpsRefusal(const std::string& emulator, const PatchSetRecord& set,
                          const PatchChain& chain) {
  const uint64_t made = chain.whole.result.size();
  const std::string reason = made > kIpsOffsetLimit
                                 ? "what the set makes of the ROM (" + ByteCount(made) +
                                       ") is larger than an IPS patch can describe"
                                 : "what the set makes of the ROM (" + ByteCount(made) +
                                       ") is shorter than the ROM file, which " + emulator +
                                       " does not cut";
  return emulator + " applies a patch set as one IPS patch made for the play, and none can say " +
         "what the patch set \"" + set.SetName + "\" does: " + reason +
         ". The patch set was not played.\n\nRetroArch can play it: choose it in Options, on the " +
         "emulator page.";
}
