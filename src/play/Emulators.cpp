#include "play/Emulators.h"

#include "db/CPatchDB.h"
#include "parser/TextUtil.h"
#include "play/CMednafenEmulator.h"
#include "play/COtherEmulator.h"
#include "play/CRetroArchEmulator.h"
#include "play/CZsnesEmulator.h"

namespace {

// Names the emulators that can play a patch, or says that none can.
std::string OthersThatPlay(const CPatchDB& db, const std::vector<PatchForm>& forms,
                           const std::string& what) {
  const std::string able = EmulatorsThatPlay(db, forms);
  if (able.empty())
    return "None of the emulators Brindle plays with can apply it.";
  return able + " can play " + what + ": choose " +
         (able.find(" or ") == std::string::npos ? "it" : "one of them") +
         " in Options, on the emulator page.";
}

}  // namespace

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
    if (EmulatorApplies(db, emulator.Kind(), FormatForm(format)))
      formats += std::string(formats.empty() ? "" : " and ") + PatchTypeName(format);
  }
  const std::string text =
      std::string(emulator.Name()) + " cannot apply the patch \"" + patchPath + "\": " +
      (formats.empty() ? std::string("it is set to apply no patches")
                       : "it applies " + formats + " patches only") +
      ".\n\n" +
      OthersThatPlay(db, {FormatForm(type)}, std::string(PatchTypeName(type)) + " patches");
  // The other emulator's formats are the user's word: it may apply more than it was said to.
  if (emulator.Kind() != EmulatorKind::Other)
    return text;
  return text + "\n\nIf it does apply them, check \"" + PatchTypeName(type) +
         "\" beside \"Patches:\" in Options, on the emulator page.";
}

std::string PatchFormRefusal(const CPatchDB& db, const CEmulator& emulator,
                             const std::string& patchPath, const CheckedPatch& patch,
                             PatchForm form) {
  // Of the other emulator Brindle knows only what the user said: the formats it loads.
  const std::string head = emulator.Kind() == EmulatorKind::Other
                               ? "Brindle cannot tell whether " + std::string(emulator.Name()) +
                                     " applies the patch \"" + patchPath + "\" correctly: "
                               : std::string(emulator.Name()) + " would not apply the patch \"" +
                                     patchPath + "\" correctly: ";
  return head + FormClause(form, patch) + ".\n\n" + OthersThatPlay(db, FormsOf(patch), "it");
}
