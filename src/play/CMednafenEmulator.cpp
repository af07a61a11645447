#include "play/CMednafenEmulator.h"

#include <cstdlib>

#include "patch/IpsPatch.h"
#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "platform/Path.h"
#include "platform/Process.h"
#include "play/PlayFiles.h"

namespace {

// The first line of every per-game file Brindle makes (Mednafen skips lines that begin with ";").
constexpr const char kMarker[] = "; Made by Brindle for one play of a patch; removed when it ends.";

}  // namespace

std::optional<std::string> CMednafenEmulator::GameSettings(
    const std::optional<std::string>& saveFolder) {
  std::string out = std::string(kMarker) + "\n";
  if (saveFolder) {
    // A setting is one line: its value is the rest of it.
    if (saveFolder->find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
      return std::nullopt;
    out += "filesys.path_sav " + *saveFolder + "\n";
    out += "filesys.path_state " + *saveFolder + "\n";
  }
  // The save named after the ROM file's base (the patch's), without the digest of the patched
  // game that Mednafen adds otherwise.
  out += "filesys.fname_sav %f.%x\n";
  return out;
}

bool CMednafenEmulator::IsMadeByBrindle(const std::string& bytes) {
  const std::string marker = std::string(kMarker) + "\n";
  return bytes.compare(0, marker.size(), marker) == 0;
}

std::string CMednafenEmulator::MednafenHome() {
  if (const char* home = std::getenv("MEDNAFEN_HOME"); home && *home)
    return WithoutTrailingSlashes(home);
  return GetHomeFolder() + "/.mednafen";
}

bool CMednafenEmulator::Check(const PlayRequest& request) {
  m_request = request;
  if (m_db.Mednafen.empty()) {
    ReportError("Mednafen is not set up: choose its program in Options, on the emulator page.");
    return false;
  }
  const auto settings = GameSettings(
      request.savesWithPatch ? std::optional(WithoutTrailingSlashes(request.patchFolder))
                             : std::nullopt);
  if (!settings) {
    ReportError("Mednafen cannot save into the folder \"" + request.patchFolder +
                "\": its settings have no way to write a folder name with a line break. " +
                m_db.NotPlayed());
    return false;
  }
  m_gameSettings = *settings;
  m_romName = request.baseName + ".sfc";
  m_gameFile = MednafenHome() + "/pgconfig/" + request.baseName + ".snes.cfg";
  std::string bytes;
  if (PathExists(m_gameFile) && (IsSymbolicLink(m_gameFile) || !ReadWholeFile(m_gameFile, bytes) ||
                                 !IsMadeByBrindle(bytes))) {
    ReportError("Mednafen already has a per-game settings file \"" + m_gameFile +
                "\", which Brindle did not make. Brindle does not replace it, so the " +
                m_db.PlayedNoun() + " was not played.\n\nMove that file elsewhere to play this " +
                m_db.PlayedNoun() + " with Mednafen.");
    return false;
  }
  return ChooseServedPatch(request);
}

std::optional<CRunFolderEmulator::ServedPatch> CMednafenEmulator::MakeServedPatch(
    const CheckedPatch& checked) const {
  std::optional<std::string> ips = MakeIps(checked.rom, checked.result);
  if (!ips)
    return std::nullopt;
  return ServedPatch{PatchType::Ips, std::move(*ips)};
}

bool CMednafenEmulator::Prepare(PlayJournalFile& journal) {
  const std::string ipsName = m_romName + ".ips";
  if (!MakeRunFolder(journal, {m_romName, ipsName}))
    return false;
  const std::string pgconfig = MednafenHome() + "/pgconfig";
  std::string error;
  if (!CreateFolderWithParents(pgconfig, &error)) {
    ReportError("Could not create \"" + pgconfig + "\" (" + error + "). " + m_db.NotPlayed());
    return false;
  }
  // One that an earlier play left behind (Check made sure it is ours) makes way for this one.
  if (PathExists(m_gameFile) && !RemoveFile(m_gameFile, &error)) {
    ReportError("Could not remove \"" + m_gameFile + "\" (" + error + "). " + m_db.NotPlayed());
    return false;
  }
  return MakeFile(journal, m_gameFile, m_gameSettings) && MakeRomEntry(m_romName, m_request) &&
         (m_served ? MakeRunFile(ipsName, m_served->bytes)
                   : MakeLink(ipsName, m_request.patch->Filename));
}

PlayCommand CMednafenEmulator::Command() const {
  PlayCommand command{SplitProgramText(m_db.Mednafen), m_runFolder};
  command.words.push_back(RunPath(m_romName));
  return command;
}
