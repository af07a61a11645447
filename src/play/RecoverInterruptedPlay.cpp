// Putting things back after Brindle died during a play: the journal's steps undone in reverse.
#include <set>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "play/CPatchPlayer.h"
#include "play/JournalUndo.h"
#include "play/PlayFiles.h"

namespace {

// Whether the process that plays, or the emulator it started, still runs.
bool IsStillPlaying(const CPlayJournal& journal) {
  const std::optional<ProcessStamp> emulator = journal.Emulator();
  return (!journal.Ended && journal.Player && IsProcessRunning(*journal.Player)) ||
         (emulator && IsProcessRunning(*emulator));
}

// Undoes every step not put back yet, the last first; the values of one configuration file are
// put back together, where its last value step stood. Returns the sentences for the user.
std::string UndoAll(const CPlayJournal& journal) {
  std::string text;
  std::set<std::string> configsDone;
  for (auto step = journal.Steps.rbegin(); step != journal.Steps.rend(); ++step) {
    if (step->undone)
      continue;
    switch (step->kind) {
      case JournalStep::Kind::Rename:
        text += UndoRename(*step).sentence;
        break;
      case JournalStep::Kind::Link:
        text += UndoLink(*step).sentence;
        break;
      case JournalStep::Kind::File:
        text += UndoFile(*step).sentence;
        break;
      case JournalStep::Kind::Folder:
        text += UndoFolder(*step).sentence;
        break;
      case JournalStep::Kind::Value: {
        if (!configsDone.insert(step->path).second)
          break;
        // A rewrite cut short leaves its temporary file beside the configuration.
        RemoveStaleTempFiles(step->path);
        std::vector<ConfigValue> values;
        for (const JournalStep& other : journal.Steps) {
          if (other.kind == JournalStep::Kind::Value && !other.undone && other.path == step->path)
            values.push_back({other.key, other.text});
        }
        text += UndoValues(step->path, values).sentence;
        break;
      }
      case JournalStep::Kind::Emulator:
        break;
    }
  }
  return text;
}

// What a play that still runs keeps changed until it ends, from its journal's steps: each kind
// of change once, in words ("its ROM keeps the patch's name and ...").
std::string StillChanged(const CPlayJournal& journal) {
  std::set<JournalStep::Kind> kinds;
  for (const JournalStep& step : journal.Steps) {
    if (!step.undone)
      kinds.insert(step.kind);
  }
  const std::pair<JournalStep::Kind, const char*> words[] = {
      {JournalStep::Kind::Rename, "its ROM keeps the patch's name"},
      {JournalStep::Kind::Value, "the emulator saves into the patch's folder"},
      {JournalStep::Kind::Folder, "the run folder made for it stays"},
      {JournalStep::Kind::Link, "the links made for it stay"},
      {JournalStep::Kind::File, "the settings file made for it stays"},
  };
  std::vector<const char*> parts;
  for (const auto& [kind, text] : words) {
    if (kinds.count(kind))
      parts.push_back(text);
  }
  if (parts.empty())
    return "nothing of it is put back";
  std::string text;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0)
      text += i + 1 == parts.size() ? " and " : ", ";
    text += parts[i];
  }
  return text;
}

}  // namespace

bool CPatchPlayer::RecoverInterruptedPlay() {
  const std::string path = PlayJournalPath();
  if (path.empty() || !PathExists(path))
    return false;
  std::string text =
      "Brindle was interrupted while a patch was playing, before it could put things back.\n\n";
  CPlayJournal journal;
  const bool readable = journal.Read(path);
  // Renaming the ROM back under a running emulator, or rewriting its configuration, would spoil
  // the game; that play puts everything back itself when it ends.
  if (readable && IsStillPlaying(journal)) {
    m_db.Prompt().Ask(
        {"A patch is still being played: the emulator, or the Brindle that started it, "
         "is still running. Until it ends, " +
             StillChanged(journal) +
             ".\n\nBrindle will put everything back at its next start after the emulator "
             "has ended.",
         kAppTitle, BoxIcon::Information, BoxButtons::Ok});
    return true;
  }
  if (readable) {
    const std::string undone = UndoAll(journal);
    text += undone.empty() ? "Nothing had been changed yet.\n" : undone;
  } else {
    text += "Its record of that play, " + Quoted(path) +
            ", could not be read. Check that your ROM files have their names and that the "
            "emulator's save directory is the one you want.\n";
  }
  if (std::string error; !CPlayJournal::Remove(path, &error)) {
    text += '\n';
    text += Quoted(path) + " could not be removed (" + error + "). Remove it by hand.\n";
  }
  if (!text.empty() && text.back() == '\n')
    text.pop_back();
  m_db.Prompt().Ask({text, kAppTitle, BoxIcon::Information, BoxButtons::Ok});
  return true;
}
