#include "play/PatchForms.h"

#include <algorithm>

#include "db/CPatchDB.h"
#include "db/EmulatorPresets.h"
#include "patch/IpsPatch.h"
#include "patch/ReaderText.h"

namespace {

struct FormRow {
  PatchForm form;
  bool applies[3];  // ZSNES, RetroArch, Mednafen
};

// What each emulator was found to do with a ROM whose game shows whether it was patched.
constexpr FormRow kFormTable[] = {
    {PatchForm::Ips, {true, true, true}},
    // ZSNES and Mednafen stop at "EOF"; RetroArch reads the bytes after it as a record and
    // applies nothing.
    {PatchForm::IpsBytesAfterEnd, {true, false, true}},
    // ZSNES skips it; RetroArch drops the whole patch; Mednafen mangles the ROM.
    {PatchForm::IpsEmptyRun, {true, false, false}},
    // ZSNES applies every record; RetroArch applies nothing; Mednafen will not load the game.
    {PatchForm::IpsNoEndMarker, {true, false, false}},
    // RetroArch applies every record; ZSNES and Mednafen stop there.
    {PatchForm::IpsRecordAtEndMarker, {false, true, false}},
    // ZSNES ignores the size; RetroArch 1.14 crashes on a size that cuts the ROM.
    {PatchForm::IpsSetsSize, {false, false, true}},
    // Only RetroArch reads BPS and UPS.
    {PatchForm::Bps, {false, true, false}},
    {PatchForm::Ups, {false, true, false}},
    // Every emulator applies a patch to the file as it is, header included.
    {PatchForm::HeaderMisfit, {false, false, false}},
};

}  // namespace

PatchForm FormatForm(PatchFormat format) {
  switch (format) {
    case PatchFormat::Bps:
      return PatchForm::Bps;
    case PatchFormat::Ups:
      return PatchForm::Ups;
    case PatchFormat::Ips:
      break;
  }
  return PatchForm::Ips;
}

bool EmulatorApplies(const CPatchDB& db, EmulatorKind kind, PatchForm form) {
  if (kind == EmulatorKind::Other) {
    const std::vector<PatchFormat> formats = ParseOtherFormats(db.OtherFormats);
    return std::any_of(formats.begin(), formats.end(),
                       [form](PatchFormat format) { return FormatForm(format) == form; });
  }
  for (const FormRow& row : kFormTable) {
    if (row.form == form)
      return row.applies[static_cast<int>(kind)];
  }
  return false;
}

bool EmulatorTakesServedPatch(const CPatchDB& db, EmulatorKind kind) {
  if (kind == EmulatorKind::Other) {
    return EmulatorApplies(db, kind, PatchForm::Ips) || EmulatorApplies(db, kind, PatchForm::Bps);
  }
  return kind == EmulatorKind::RetroArch || kind == EmulatorKind::Mednafen;
}

bool EmulatorPlays(const CPatchDB& db, EmulatorKind kind, const std::vector<PatchForm>& forms) {
  if (!FirstNotApplied(db, kind, forms))
    return true;
  // The other emulator's patch is served beside the user's file: only in place of a format it
  // does not load, or it might load the user's file instead.
  if (kind == EmulatorKind::Other)
    return EmulatorTakesServedPatch(db, kind) && !EmulatorApplies(db, kind, forms.front());
  return EmulatorTakesServedPatch(db, kind);
}

std::vector<PatchForm> FormsOf(const CheckedPatch& patch) {
  const PatchSummary& summary = patch.summary;
  std::vector<PatchForm> forms{FormatForm(summary.format)};
  const std::pair<unsigned, PatchForm> quirks[] = {
      {kIpsBytesAfterEnd, PatchForm::IpsBytesAfterEnd},
      {kIpsEmptyRun, PatchForm::IpsEmptyRun},
      {kIpsNoEndMarker, PatchForm::IpsNoEndMarker},
      {kIpsRecordAtEndMarker, PatchForm::IpsRecordAtEndMarker}};
  for (const auto& [bit, form] : quirks) {
    if (summary.ipsQuirks & bit)
      forms.push_back(form);
  }
  if (summary.truncateTo &&
      *summary.truncateTo != std::max<uint64_t>(summary.reach, patch.appliedTo)) {
    forms.push_back(PatchForm::IpsSetsSize);
  }
  if (patch.headerMisfit)
    forms.push_back(PatchForm::HeaderMisfit);
  return forms;
}

std::optional<PatchForm> FirstNotApplied(const CPatchDB& db, EmulatorKind kind,
                                         const std::vector<PatchForm>& forms) {
  for (const PatchForm form : forms) {
    if (!EmulatorApplies(db, kind, form))
      return form;
  }
  return std::nullopt;
}

std::string FormClause(PatchForm form, const CheckedPatch& patch) {
  switch (form) {
    case PatchForm::IpsBytesAfterEnd:
      return "bytes follow its end marker \"EOF\"";
    case PatchForm::IpsEmptyRun:
      return "it has a run-length record of count 0";
    case PatchForm::IpsNoEndMarker:
      return "it ends without the end marker \"EOF\"";
    case PatchForm::IpsRecordAtEndMarker:
      return "it has a record at offset 0x454F46, whose offset reads as the end marker \"EOF\"";
    case PatchForm::IpsSetsSize:
      return "it sets the size of the patched ROM (" +
             ByteCount(patch.summary.truncateTo.value_or(0)) + ")";
    case PatchForm::HeaderMisfit:
      return patch.patchHeadered
                 ? "it was made for the ROM with a copier header, which this ROM file does not have"
                 : "it was made for the ROM without the copier header this ROM file has";
    case PatchForm::Bps:
    case PatchForm::Ups:
    case PatchForm::Ips:
      break;
  }
  return std::string("it is a ") + PatchFormatName(patch.summary.format) + " patch";
}

std::string EmulatorsThatPlay(const CPatchDB& db, const std::vector<PatchForm>& forms) {
  std::string names;
  for (int i = 0; i < kEmulatorCount; ++i) {
    const auto kind = static_cast<EmulatorKind>(i);
    // The other emulator is only something to choose once it has a command.
    if (kind == EmulatorKind::Other && db.OtherCommand.empty())
      continue;
    if (EmulatorPlays(db, kind, forms))
      names += std::string(names.empty() ? "" : " or ") + EmulatorName(kind);
  }
  return names;
}
