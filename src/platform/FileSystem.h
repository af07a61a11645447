#pragma once

#include <string>

class CFile;

// File operations the rest of the program needs beyond reading: the safe rewrite of a file, a
// rename that never destroys a file, and the program's own directory.

/// Replaces the file at `path` with `bytes`: written to a temporary file in the same folder,
/// flushed to disk, then renamed over the old one. A symbolic link is followed (its target is
/// replaced, the link stays) and an existing file keeps its permissions. On any failure the old
/// file is left as it was, `error` (when given) says why, and false is returned.
bool WriteFileSafely(const std::string& path, const std::string& bytes,
                     std::string* error = nullptr);

/// Renames `from` to `to` only when `to` does not exist; never replaces a file.
bool RenameNoReplace(const std::string& from, const std::string& to);

/// The directory of the running executable, without a trailing "/".
std::string GetAppDir();

/// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes);
/// Reads an open file from its current position to its end; false when a read fails.
bool ReadWholeFile(CFile& file, std::string& bytes);

bool PathExists(const std::string& path);

/// Whether two paths name the same existing file (the same inode, whatever the spelling).
bool IsSameFile(const std::string& a, const std::string& b);

/// Deletes a file; a file that is not there counts as deleted.
bool RemoveFile(const std::string& path);

/// The full path of the running executable.
std::string GetExecutablePath();
