#include "play/Emulators.h"

#include <algorithm>

#include "db/CPatchDB.h"
#include "db/EmulatorPresets.h"
#include "parser/TextUtil.h"
#include "play/CMednafenEmulator.h"
#include "play/COtherEmulator.h"
#include "play/CRetroArchEmulator.h"
#include "play/CZsnesEmulator.h"

bool EmulatorApplies(const CPatchDB& db, EmulatorKind kind, PatchType type) {
  if (kind == EmulatorKind::Other) {
    const std::vector<PatchType> formats = ParseOtherFormats(db.OtherFormats);
    return std::find(formats.begin(), formats.end(), type) != formats.end();
  }
  return kind == EmulatorKind::RetroArch || type == PatchType::Ips;
}

PatchType PatchTypeOf(const std::string& patchPath) {
  return PatchFormatFromPath(patchPath).value_or(PatchType::Ips);
}

std::unique_ptr<CEmulator> MakeEmulator(CPatchDB& db) {
  switch (ChosenEmulator(db)) {
    case EmulatorKind::RetroArch:
      return std::make_unique<CRetroArchEmulator>(db);
    case EmulatorKind::Mednafen:
      return std::make_unique<CMednafenEmulator>(db);
    case EmulatorKind::Other:
      return std::make_unique<COtherEmulator>(db);
    case EmulatorKind::Zsnes:
      break;
  }
  return std::make_unique<CZsnesEmulator>(db);
}

std::string PatchRefusal(const CPatchDB& db, const CEmulator& emulator,
                         const std::string& patchPath, PatchType type) {
  std::string formats;
  for (const PatchType format : {PatchType::Ips, PatchType::Bps, PatchType::Ups}) {
    if (EmulatorApplies(db, emulator.Kind(), format))
      formats += std::string(formats.empty() ? "" : " and ") + PatchTypeName(format);
  }
  std::string text = std::string(emulator.Name()) + " cannot apply the patch \"" + patchPath +
                     "\": " +
                     (formats.empty() ? std::string("it is set to apply no patches")
                                      : "it applies " + formats + " patches only") +
                     ".\n\n";
  std::string able;
  for (int i = 0; i < kEmulatorCount; ++i) {
    if (EmulatorApplies(db, static_cast<EmulatorKind>(i), type))
      able += std::string(able.empty() ? "" : " or ") + EmulatorName(static_cast<EmulatorKind>(i));
  }
  // The other emulator's formats are the user's word: it may apply more than it was said to.
  const std::string unsaid = emulator.Kind() != EmulatorKind::Other
                                 ? std::string()
                                 : std::string("\n\nIf it does apply them, check \"") +
                                       PatchTypeName(type) +
                                       "\" beside \"Patches:\" in Options, on the emulator page.";
  if (able.empty())
    return text + "None of the emulators Brindle plays with can apply it." + unsaid;
  return text + able + " can apply " + PatchTypeName(type) +
         " patches: choose it in Options, on the emulator page." + unsaid;
}
