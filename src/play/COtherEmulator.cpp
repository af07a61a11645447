// The other emulator's part of a play: links named after the patch, made beside it, and the
// user's command run on them.
#include "play/COtherEmulator.h"

#include "db/EmulatorPresets.h"
#include "db/PatchSetRecord.h"
#include "parser/TextUtil.h"
#include "patch/BpsWriter.h"
#include "patch/IpsPatch.h"
#include "platform/ArchivePath.h"
#include "platform/FileSystem.h"
#include "platform/Flatpak.h"
#include "platform/Folders.h"
#include "platform/Path.h"
#include "play/CRunFolderEmulator.h"
#include "play/EmulatorCommand.h"
#include "play/JournalUndo.h"
#include "play/PatchForms.h"
#include "play/PlayFiles.h"

namespace {

constexpr char kOnThePage[] = "in Options, on the emulator page.";

std::string FormatExtension(PatchType type) {
  std::string extension = ".";
  extension += AsciiLowerCopy(PatchTypeName(type));
  return extension;
}

}  // namespace

COtherEmulator::COtherEmulator(CPatchDB& db) : m_db(db), m_name(EmulatorName(Kind())) {
  if (const auto words = SplitCommandWords(m_db.OtherCommand); words && !words->empty()) {
    m_words = *words;
    const std::string app = FlatpakAppOfCommand(m_words);
    m_name = app.empty() ? m_words[0].substr(FolderOf(m_words[0]).size()) : app;
  }
}

bool COtherEmulator::Check(const PlayRequest& request) {
  m_request = request;
  return CheckCommand() && ChooseServedPatch() && CheckLinkNames() && CheckSandbox();
}

bool COtherEmulator::ChooseServedPatch() {
  m_servedPath.clear();
  const CheckedPatch* checked = m_request.checked;
  // The play has made sure such a patch is only needed where the user's format is not loaded.
  // A patch set is always given as one patch of what the whole set makes.
  if (checked == nullptr ||
      (m_request.chain == nullptr && !FirstNotApplied(m_db, Kind(), FormsOf(*checked)))) {
    return true;
  }
  const std::string base = m_request.patchFolder + m_request.baseName;
  if (EmulatorApplies(m_db, Kind(), PatchForm::Bps)) {
    if (m_request.chain != nullptr)
      m_request.type = PatchType::Bps;  // a set has no format of its own
    m_servedPath = base + FormatExtension(PatchType::Bps);
    m_servedBytes = WriteBps(checked->rom, checked->result);
    return true;
  }
  if (std::optional<std::string> ips = MakeIps(checked->rom, checked->result)) {
    if (m_request.chain != nullptr)
      m_request.type = PatchType::Ips;
    m_servedPath = base + FormatExtension(PatchType::Ips);
    m_servedBytes = std::move(*ips);
    return true;
  }
  const std::string& named =
      m_request.set != nullptr ? m_request.set->SetName : m_request.patch->Filename;
  ReportError(std::string(Name()) + " cannot be given the " + m_db.PlayedNoun() + " \"" + named +
              "\" in a form it applies correctly: the patched ROM (" +
              std::to_string(checked->result.size()) + " bytes) is too large for an IPS patch. " +
              m_db.NotPlayed());
  return false;
}

bool COtherEmulator::CheckCommand() {
  std::string error;
  const auto words = SplitCommandWords(m_db.OtherCommand, &error);
  if (!words) {
    ReportError("The other emulator's command cannot be run: " + error + ".\n\nCorrect it " +
                kOnThePage);
    return false;
  }
  if (words->empty()) {
    ReportError(std::string("The other emulator has no command.\n\nGive it one ") + kOnThePage);
    return false;
  }
  if (!HasRomPlaceholder(*words)) {
    ReportError(std::string("The other emulator's command has no %ROM%, which stands for the game "
                            "Brindle hands it.\n\nAdd %ROM% to the command ") +
                kOnThePage);
    return false;
  }
  return true;
}

bool COtherEmulator::CheckLinkNames() {
  const std::string& folder = m_request.patchFolder;
  const std::string& rom = m_request.rom->Filename;
  const std::string& patch = m_request.patch->Filename;
  const std::string base = folder + m_request.baseName;
  m_romLink = base + GameExtension(rom);
  m_patchLink = base + FormatExtension(m_request.type);
  // A ROM already under the patch's name beside it, or a patch already named as the emulator
  // looks for it, is taken as it is.
  if (IsSameFile(rom, m_romLink))
    m_romLink.clear();
  // A patch of Brindle's making takes the place of the user's, which the emulator does not load.
  if (IsSameFile(patch, m_patchLink) || !m_servedPath.empty())
    m_patchLink.clear();
  for (const std::string* link : {&m_romLink, &m_patchLink, &m_servedPath}) {
    if (!link->empty() && PathExists(*link)) {
      ReportError("Brindle gives the emulator the game and the patch as \"" + *link +
                  "\", and a file of that name is already there.\n\nRename or move that file, "
                  "then play the " +
                  m_db.PlayedNoun() + " again.");
      return false;
    }
  }
  // A patch of another format under the same name would be loaded with ours, or in its place.
  for (const PatchType other : ParseOtherFormats(m_db.OtherFormats)) {
    const std::string path = base + FormatExtension(other);
    if (other != m_request.type && path != m_servedPath && PathExists(path) &&
        !IsSameFile(path, patch)) {
      ReportError("Beside the patch is \"" + path +
                  "\", which the emulator would load in the same way, with this patch or in its "
                  "place.\n\nMove one of the two into a folder of its own, then play the " +
                  m_db.PlayedNoun() + " again.");
      return false;
    }
  }
  if ((!m_romLink.empty() || !m_patchLink.empty() || !m_servedPath.empty()) &&
      !CanCreateFilesIn(folder)) {
    ReportError("Brindle cannot create the link to the ROM in the patch's folder \"" + folder +
                "\", where the emulator looks for the patch. " + m_db.NotPlayed());
    return false;
  }
  return true;
}

bool COtherEmulator::CheckSandbox() {
  const std::string app = FlatpakAppOfCommand(m_words);
  const auto filesystems = app.empty() ? std::nullopt : FlatpakFilesystems(app);
  if (!filesystems)
    return true;
  const std::string home = GetHomeFolder();
  const std::string& rom = m_request.rom->Filename;
  if (SplitArchivePath(rom)) {
    ReportError(app +
                " runs as a Flatpak, whose sandbox cannot read the ROM that Brindle unpacks from "
                "its archive for the play, in a folder of the play's own under "
                "$XDG_RUNTIME_DIR.\n\nUnpack the ROM and install the file to play it with " +
                app + ". " + m_db.NotPlayed());
    return false;
  }
  const std::string patchFolder = WithoutTrailingSlashes(m_request.patchFolder);
  // Each path, and the folder to let the sandbox read.
  const std::pair<std::string, std::string> paths[] = {
      {patchFolder, patchFolder}, {rom, WithoutTrailingSlashes(FolderOf(rom))}};
  for (const auto& [path, folder] : paths) {
    if (FlatpakAccessTo(*filesystems, app, path, home) != FlatpakAccess::None)
      continue;
    std::string allowed;
    for (const std::string& entry : *filesystems)
      allowed += (allowed.empty() ? "" : ", ") + entry;
    ReportError(app + " runs as a Flatpak, whose sandbox may not read \"" + path +
                "\". It may read: " + (allowed.empty() ? "only its own folder" : allowed) +
                ".\n\nKeep the patch and the ROM in a folder it can read, such as your home "
                "folder, or let it read this one with\n\nflatpak override --user --filesystem=" +
                QuoteCommandWord(folder) + " " + app + "\n\n" + m_db.NotPlayed());
    return false;
  }
  // An emulator saves beside the game it is given unless its own settings say otherwise.
  if (m_request.savesWithPatch &&
      FlatpakAccessTo(*filesystems, app, patchFolder, home) == FlatpakAccess::Read) {
    const BoxRequest question{
        app + " may read the patch's folder \"" + patchFolder +
            "\" but not write to it, so the game could not save there.\n\nLet it write there "
            "with\n\nflatpak override --user --filesystem=" +
            QuoteCommandWord(patchFolder) + " " + app + "\n\nDo you want to play all the same?",
        "Warning!", BoxIcon::Warning, BoxButtons::YesNo};
    return m_db.Prompt().Ask(question) == BoxAnswer::Yes;
  }
  return true;
}

bool COtherEmulator::Prepare(PlayJournalFile& journal) {
  const std::string& patch = m_request.patch->Filename;
  // The patch's link leads to it by its bare name, wherever the folder goes.
  return (m_servedPath.empty() || journal.MakeFile(m_servedPath, m_servedBytes)) &&
         (m_patchLink.empty() ||
          MakeLink(journal, m_patchLink, patch.substr(m_request.patchFolder.size()))) &&
         (m_romLink.empty() || MakeLink(journal, m_romLink, RomForLink(journal)));
}

std::string COtherEmulator::RomForLink(PlayJournalFile& journal) {
  const std::string& rom = m_request.rom->Filename;
  if (!SplitArchivePath(rom))
    return rom;
  // A ROM kept in an archive is unpacked into a folder of the play's own, and the link beside
  // the patch leads there.
  const std::string name = m_romLink.substr(FolderOf(m_romLink).size());
  const std::string folder = MakeJournaledRunFolder(m_db, journal, {name});
  if (folder.empty() || !WriteUnpackedRom(m_db, m_request.checked->rom, folder + "/" + name))
    return {};
  return folder + "/" + name;
}

bool COtherEmulator::MakeLink(PlayJournalFile& journal, const std::string& link,
                              const std::string& target) {
  if (target.empty() || !journal.Journal(JournalStep::Link(link, target)))
    return false;
  std::string error;
  if (!CreateSymbolicLink(target, link, &error)) {
    journal.NotTaken();
    ReportError("Could not create \"" + link + "\" (" + error + "). " + m_db.NotPlayed());
    return false;
  }
  journal.Moment();
  return true;
}

PlayCommand COtherEmulator::Command() const {
  const CommandNames names{m_romLink.empty() ? m_request.rom->Filename : m_romLink,
                           m_servedPath.empty() ? m_request.patch->Filename : m_servedPath,
                           WithoutTrailingSlashes(m_request.patchFolder), m_request.baseName};
  return {SubstituteCommand(m_words, names), m_request.patchFolder};
}

PutBackResult COtherEmulator::PutBack(PlayJournalFile& journal) {
  bool left = false;
  std::vector<JournalStep>& steps = journal.journal.Steps;
  for (size_t i = steps.size(); i-- > 0;) {
    const JournalStep& step = steps[i];
    if (step.undone ||
        (step.kind != JournalStep::Kind::Link && step.kind != JournalStep::Kind::File &&
         step.kind != JournalStep::Kind::Folder)) {
      continue;
    }
    UndoResult result = step.kind == JournalStep::Kind::Link   ? UndoLink(step)
                        : step.kind == JournalStep::Kind::File ? UndoFile(step)
                                                               : UndoFolder(step);
    journal.Moment();
    if (result.done) {
      journal.journal.MarkUndone(i);
    } else {
      left = true;
      if (!result.sentence.empty() && result.sentence.back() == '\n')
        result.sentence.pop_back();
      ReportError(result.sentence);
    }
  }
  return left ? PutBackResult::Left : PutBackResult::Clean;
}
