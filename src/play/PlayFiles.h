#pragma once

#include <string>
#include <vector>

// The folder and files a play makes for an emulator that takes its patch and save folder from
// files, and their removal after the play or at the next start after a crash.

/// A new name for the private folder of one play, under the user's runtime folder; empty, with
/// `error` saying why, when there is no such folder.
std::string NewRunFolderName(std::string* error);

/// The ROM file's own extension, with its dot (".sfc" when it has none): given to an emulator
/// under another name, it tells the emulator what it is given.
std::string GameExtension(const std::string& romPath);

/// A path in double quotes, as the play's messages show one.
std::string Quoted(const std::string& path);

/// The digest a made file is recorded with in the journal.
std::string DigestOfBytes(const std::string& bytes);

/// The names made in a play's folder, as a journal step keeps them, and back.
std::string JoinNames(const std::vector<std::string>& names);
std::vector<std::string> SplitNames(const std::string& text);

enum class ClearResult {
  Done,    // removed (or already gone)
  Kept,    // something that is not the play's is there and stays
  Failed,  // could not be removed: see `what`
};

/// Removes the names the play made in its folder (links and files, never a folder) and the
/// folder. Whatever else is in it (something the emulator wrote) is kept, with the folder.
ClearResult ClearRunFolder(const std::string& folder, const std::vector<std::string>& names,
                           std::string* what);
/// Removes a file the play made, when it still holds bytes of `digest` (any bytes when empty).
ClearResult RemoveMadeFile(const std::string& path, const std::string& digest, std::string* what);
