#include "play/CRetroArchEmulator.h"

#include "parser/TextUtil.h"
#include "patch/BpsWriter.h"
#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "platform/Path.h"
#include "platform/Process.h"
#include "play/PatchChain.h"
#include "play/PlayFiles.h"

std::optional<std::string> CRetroArchEmulator::QuoteValue(const std::string& value) {
  if (value.find_first_of(std::string("\"\r\n\0", 4)) != std::string::npos)
    return std::nullopt;
  return "\"" + value + "\"";
}

std::optional<std::string> CRetroArchEmulator::AppendedConfig(
    const std::optional<std::string>& saveFolder) {
  std::string out;
  if (saveFolder) {
    const auto folder = QuoteValue(*saveFolder);
    if (!folder)
      return std::nullopt;
    out += "savefile_directory = " + *folder + "\n";
    out += "savestate_directory = " + *folder + "\n";
  }
  // Saves named after the content, straight in those folders; and nothing of this run written
  // into RetroArch's own files.
  for (const char* key :
       {"savefiles_in_content_dir", "savestates_in_content_dir", "sort_savefiles_enable",
        "sort_savestates_enable", "sort_savefiles_by_content_enable",
        "sort_savestates_by_content_enable", "config_save_on_exit", "history_list_enable"}) {
    out += std::string(key) + " = \"false\"\n";
  }
  return out;
}

bool CRetroArchEmulator::Check(const PlayRequest& request) {
  m_request = request;
  if (m_db.RetroArch.empty() || m_db.RetroArchCore.empty()) {
    ReportError(
        "RetroArch is not set up: choose its program and core in Options, on the emulator page.");
    return false;
  }
  if (GetPathKind(m_db.RetroArchCore) != PathKind::File) {
    ReportError("The RetroArch core \"" + m_db.RetroArchCore +
                "\" was not found.\n\nChoose a core in Options, on the emulator page.");
    return false;
  }
  const std::optional<std::string> saveFolder =
      request.savesWithPatch ? std::optional(WithoutTrailingSlashes(request.patchFolder))
                             : std::nullopt;
  const auto config = AppendedConfig(saveFolder);
  if (!config) {
    ReportError("RetroArch cannot save into the folder \"" + request.patchFolder +
                "\": its settings have no way to write a folder name with a double quote or a "
                "line break. " +
                m_db.NotPlayed());
    return false;
  }
  m_config = *config;
  m_contentName = request.baseName + GameExtension(request.rom->Filename);
  if (request.chain != nullptr) {
    ChooseSeries(*request.chain);
    return true;
  }
  return ChooseServedPatch(request);
}

void CRetroArchEmulator::ChooseSeries(const PatchChain& chain) {
  // RetroArch applies "<game>.ips" (or .bps, .ups) from beside the game, then "<game>.ips1"
  // (or .bps1, .ups1), and so on, one per number up to 9, stopping at the first number it does
  // not find: each to what the ones before it made.
  m_series.clear();
  for (size_t i = 0; i < chain.steps.size(); ++i) {
    const CheckedPatch& step = chain.steps[i];
    if (FirstNotApplied(m_db, Kind(), FormsOf(step))) {
      m_series.push_back({SeriesPatchName(m_request.baseName, PatchType::Bps, i), std::string(),
                          MakeServedPatch(step)->bytes});
    } else {
      m_series.push_back({SeriesPatchName(m_request.baseName, step.summary.format, i),
                          chain.patches[i]->Filename, std::string()});
    }
  }
}

std::optional<CRunFolderEmulator::ServedPatch> CRetroArchEmulator::MakeServedPatch(
    const CheckedPatch& checked) const {
  // bsnes-mercury takes a copier header off after the patch is applied, so the result keeps it.
  return ServedPatch{PatchType::Bps, WriteBps(checked.rom, checked.result)};
}

std::string CRetroArchEmulator::PatchName() const {
  return m_request.baseName + ".bps";
}

bool CRetroArchEmulator::Prepare(PlayJournalFile& journal) {
  std::vector<std::string> names{kConfigName, m_contentName};
  if (m_served)
    names.push_back(PatchName());
  for (const SeriesPatch& patch : m_series)
    names.push_back(patch.name);
  if (!MakeRunFolder(journal, names))
    return false;
  // RetroArch reads several appended files from one argument, separated by "|".
  if (m_runFolder.find('|') != std::string::npos) {
    ReportError("RetroArch cannot read its settings from the folder \"" + m_runFolder +
                "\", whose name holds a \"|\". " + m_db.NotPlayed());
    return false;
  }
  // RetroArch could unpack a member of a .zip or .7z itself ("archive.zip#member") and patches
  // it as it loads it, but it names the save after the member, not after a link to the archive:
  // a ROM kept in an archive is handed over unpacked, under the patch's name.
  if (!MakeRunFile(kConfigName, m_config) || !MakeRomEntry(m_contentName, m_request) ||
      (m_served && !MakeRunFile(PatchName(), m_served->bytes))) {
    return false;
  }
  for (const SeriesPatch& patch : m_series) {
    if (!(patch.link.empty() ? MakeRunFile(patch.name, patch.bytes)
                             : MakeLink(patch.name, patch.link))) {
      return false;
    }
  }
  return true;
}

PlayCommand CRetroArchEmulator::Command() const {
  PlayCommand command{SplitProgramText(m_db.RetroArch), m_runFolder};
  if (m_request.chain != nullptr) {
    // The series is found by its names beside the game, without a patch flag: a flag names one
    // patch and keeps RetroArch to that patch's format.
    for (const std::string& word :
         {std::string("-L"), m_db.RetroArchCore, "--appendconfig=" + RunPath(kConfigName),
          RunPath(m_contentName)}) {
      command.words.push_back(word);
    }
    return command;
  }
  // --ips, --bps or --ups.
  const PatchType type = m_served ? m_served->type : m_request.type;
  const std::string patchFlag = "--" + AsciiLowerCopy(PatchTypeName(type));
  const std::string patch = m_served ? RunPath(PatchName()) : m_request.patch->Filename;
  for (const std::string& word :
       {std::string("-L"), m_db.RetroArchCore, patchFlag, patch,
        "--appendconfig=" + RunPath(kConfigName), RunPath(m_contentName)}) {
    command.words.push_back(word);
  }
  return command;
}
