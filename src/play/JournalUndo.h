#pragma once

#include <string>
#include <vector>

#include "play/CEmulatorConfig.h"
#include "play/CPlayJournal.h"

// Undoing the steps of a play, one kind at a time, for the play itself and for a recovery after
// a crash. Each says whether nothing is left to put back, and what was done in a sentence for
// the user (ending in a line feed; empty when there is nothing worth saying).

struct UndoResult {
  bool done = false;
  std::string sentence;
};

/// Renames the ROM back when that cannot destroy anything.
UndoResult UndoRename(const JournalStep& step);
/// Removes the link the play made, if it is still that link.
UndoResult UndoLink(const JournalStep& step);
/// Removes a file the play made, while it holds what the play wrote (when the step says).
UndoResult UndoFile(const JournalStep& step);
/// Removes the names the play made in its folder, and the folder unless something else is in it.
UndoResult UndoFolder(const JournalStep& step);
/// Puts the values back into the configuration file `path`, changing only their bytes.
UndoResult UndoValues(const std::string& path, const std::vector<ConfigValue>& values);
