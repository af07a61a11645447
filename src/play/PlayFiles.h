#pragma once

#include <string>
#include <vector>

#include "play/CPlayJournal.h"

// The folder and files a play makes for an emulator that takes its patch and save folder from
// files, and their removal after the play or at the next start after a crash.

/// Makes the private folder of one play under the user's runtime folder; empty, with `error`
/// saying why, when it cannot be made.
std::string CreateRunFolder(std::string* error);

/// The digest a made file is recorded with in the journal.
std::string DigestOfBytes(const std::string& bytes);

enum class ClearResult {
  Done,    // removed (or already gone)
  Kept,    // something that is not the play's is there and stays: see `what`
  Failed,  // could not be removed: see `what`
};

/// Removes the names the play made in its folder (links and files, never a folder) and the
/// folder. Whatever else is in it (something the emulator wrote) is kept, with the folder.
/// `what` receives the reason for Kept and Failed.
ClearResult ClearRunFolder(const std::string& folder, const std::vector<std::string>& entries,
                           std::string* what);
/// Removes a file the play made, when it still holds what the play wrote.
ClearResult RemoveMadeFile(const CPlayJournal::MadeFile& file, std::string* what);
