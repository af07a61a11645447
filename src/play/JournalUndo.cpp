#include "play/JournalUndo.h"

#include <algorithm>

#include "patch/PatchFormat.h"
#include "platform/FileSystem.h"
#include "play/PlayFiles.h"

namespace {

// A value as its line spells it.
std::string LineOf(const ConfigValue& value) {
  if (value.key == CEmulatorConfig::kSaveDirectoryKey)
    return "SaveDirectory = " + value.raw;
  return value.key + "=" + value.raw;
}

std::string LinesOf(const std::vector<ConfigValue>& values, bool withSaveDirectory) {
  std::string lines;
  for (const ConfigValue& value : values) {
    if (withSaveDirectory || value.key != CEmulatorConfig::kSaveDirectoryKey)
      lines += LineOf(value) + "\n";
  }
  return lines;
}

bool OnlySaveDirectory(const std::vector<ConfigValue>& values) {
  for (const ConfigValue& value : values) {
    if (value.key != CEmulatorConfig::kSaveDirectoryKey)
      return false;
  }
  return true;
}

}  // namespace

UndoResult UndoRename(const JournalStep& step) {
  const std::string& recorded = step.path;
  const std::string& play = step.target;
  if (play == recorded || IsSameFile(play, recorded))
    return {true, "The ROM file " + Quoted(recorded) + " kept its name.\n"};
  const bool playExists = PathExists(play);
  const bool recordedExists = PathExists(recorded);
  if (!playExists && recordedExists)
    return {true, "The ROM file " + Quoted(recorded) + " already had its name back.\n"};
  if (!playExists) {
    return {false, "The ROM file was found neither as " + Quoted(play) + " nor as " +
                       Quoted(recorded) + ". If you moved it, rename it to " + Quoted(recorded) +
                       " by hand.\n"};
  }
  if (recordedExists) {
    return {false, "The ROM file could not be renamed back because both " + Quoted(play) + " and " +
                       Quoted(recorded) + " exist. If " + Quoted(play) +
                       " is your ROM, rename it to " + Quoted(recorded) + " by hand.\n"};
  }
  if (std::string error; !RenameNoReplace(play, recorded, &error)) {
    return {false, "The ROM file " + Quoted(play) + " could not be renamed back (" + error +
                       "). Rename it to " + Quoted(recorded) + " by hand.\n"};
  }
  return {true,
          "The ROM file " + Quoted(play) + " was renamed back to " + Quoted(recorded) + ".\n"};
}

UndoResult UndoLink(const JournalStep& step) {
  const std::string& link = step.path;
  // A link named as a patch led the emulator to the patch; any other, to the ROM.
  const std::string through = PatchFormatFromPath(link)
                                  ? ", through which the emulator found the patch,"
                                  : ", through which the emulator was given the ROM,";
  if (!PathExists(link))
    return {true, ""};
  // A link the user made meanwhile, even under the same name, is not ours to remove.
  if (!IsSymbolicLink(link) || (!step.target.empty() && ReadSymbolicLink(link) != step.target))
    return {true,
            "A file has taken the place of the link " + Quoted(link) + "; it was left as it is.\n"};
  if (std::string error; !RemoveFile(link, &error)) {
    return {false, "The link " + Quoted(link) + through + " could not be removed (" + error +
                       "). Remove it by hand.\n"};
  }
  return {true, "The link " + Quoted(link) + through + " was removed.\n"};
}

UndoResult UndoFile(const JournalStep& step) {
  const bool existed = PathExists(step.path);
  std::string what;
  switch (RemoveMadeFile(step.path, step.text, &what)) {
    case ClearResult::Done:
      return {true, existed
                        ? "The file " + Quoted(step.path) + ", made for the play, was removed.\n"
                        : ""};
    case ClearResult::Kept:
      return {true, "The file " + Quoted(step.path) +
                        ", made for the play, was changed since; it was left as it is.\n"};
    case ClearResult::Failed:
      break;
  }
  return {false, "The file " + Quoted(step.path) + ", which the play made, could not be removed (" +
                     what + "). Remove it by hand.\n"};
}

UndoResult UndoFolder(const JournalStep& step) {
  std::string what;
  switch (ClearRunFolder(step.path, SplitNames(step.text), &what)) {
    case ClearResult::Done:
      return {true, "The folder " + Quoted(step.path) + ", made for the play, was removed.\n"};
    case ClearResult::Kept:
      return {true, "The folder " + Quoted(step.path) +
                        ", made for the play, holds files the emulator wrote; it was left in "
                        "place.\n"};
    case ClearResult::Failed:
      break;
  }
  return {false, "The folder " + Quoted(step.path) + ", made for the play, could not be removed (" +
                     what + "). Remove it by hand.\n"};
}

UndoResult UndoValues(const std::string& path, const std::vector<ConfigValue>& values) {
  CEmulatorConfig config;
  std::string error;
  if (config.Read(path, &error)) {
    if (config.HasStrayCarriageReturn())
      error = "carriage returns in it do not end its lines";
    std::vector<ConfigValue> met;
    if (error.empty())
      met = config.PutBack(values);
    if (error.empty() && met.empty()) {
      return {true, "The emulator configuration file " + Quoted(path) +
                        " names no save directory; it was left as it was.\n"};
    }
    if (error.empty() && (!config.Changed() || config.Write(path, &error))) {
      // What the lines say now: the values put back, in the order of the journal.
      std::vector<ConfigValue> back;
      for (const ConfigValue& value : values) {
        if (std::any_of(met.begin(), met.end(),
                        [&value](const ConfigValue& m) { return m.key == value.key; })) {
          back.push_back(value);
        }
      }
      if (OnlySaveDirectory(back)) {
        return {true, "The emulator's save directory in " + Quoted(path) + " was set back to " +
                          Quoted(back.back().raw) + ".\n"};
      }
      return {true, "The emulator configuration file " + Quoted(path) + " has these lines back:\n" +
                        LinesOf(back, true)};
    }
  }
  if (OnlySaveDirectory(values)) {
    return {false, "The emulator configuration file " + Quoted(path) + " could not be rewritten (" +
                       error + "). Set its line \"" + LineOf(values.back()) + "\" back by hand.\n"};
  }
  return {false, "The emulator configuration file " + Quoted(path) + " could not be rewritten (" +
                     error + "). Set these lines back by hand:\n" + LinesOf(values, false)};
}
