#include "play/Emulators.h"

#include "db/CPatchDB.h"
#include "parser/TextUtil.h"
#include "play/CMednafenEmulator.h"
#include "play/CRetroArchEmulator.h"
#include "play/CZsnesEmulator.h"

namespace {

// Names the emulators that can play a patch, or says that none can.
std::string OthersThatPlay(const std::vector<PatchForm>& forms, const std::string& what) {
  const std::string able = EmulatorsThatPlay(forms);
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
    case EmulatorKind::Zsnes:
      break;
  }
  return std::make_unique<CZsnesEmulator>(db);
}

std::string PatchRefusal(const CEmulator& emulator, const std::string& patchPath, PatchType type) {
  return std::string(emulator.Name()) + " cannot apply the patch \"" + patchPath +
         "\": it applies IPS patches only.\n\n" +
         OthersThatPlay({FormatForm(type)}, std::string(PatchTypeName(type)) + " patches");
}

std::string PatchFormRefusal(const CEmulator& emulator, const std::string& patchPath,
                             const CheckedPatch& patch, PatchForm form) {
  return std::string(emulator.Name()) + " would not apply the patch \"" + patchPath +
         "\" correctly: " + FormClause(form, patch) + ".\n\n" +
         OthersThatPlay(FormsOf(patch), "it");
}
