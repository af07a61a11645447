#include "play/Emulators.h"

#include "db/CPatchDB.h"
#include "parser/TextUtil.h"
#include "play/CMednafenEmulator.h"
#include "play/CRetroArchEmulator.h"
#include "play/CZsnesEmulator.h"

namespace {

// Which types each emulator applies, by kind; the same as each class's Applies.
bool KindApplies(EmulatorKind kind, PatchType type) {
  return kind == EmulatorKind::RetroArch || type == PatchType::Ips;
}

}  // namespace

PatchType PatchTypeOf(const std::string& patchPath) {
  const size_t dot = patchPath.rfind('.');
  const size_t slash = patchPath.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return PatchType::Ips;
  const std::string extension = AsciiLowerCopy(patchPath.substr(dot + 1));
  if (extension == "bps")
    return PatchType::Bps;
  if (extension == "ups")
    return PatchType::Ups;
  return PatchType::Ips;
}

const char* PatchTypeName(PatchType type) {
  switch (type) {
    case PatchType::Bps:
      return "BPS";
    case PatchType::Ups:
      return "UPS";
    case PatchType::Ips:
      break;
  }
  return "IPS";
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
  std::string text = std::string(emulator.Name()) + " cannot apply the patch \"" + patchPath +
                     "\": it applies IPS patches only.\n\n";
  std::string able;
  for (int i = 0; i < kEmulatorCount; ++i) {
    if (KindApplies(static_cast<EmulatorKind>(i), type))
      able += std::string(able.empty() ? "" : " or ") + EmulatorName(static_cast<EmulatorKind>(i));
  }
  if (able.empty())
    return text + "None of the emulators Brindle plays with can apply it.";
  return text + able + " can apply " + PatchTypeName(type) +
         " patches: choose it in Options, on the emulator page.";
}
