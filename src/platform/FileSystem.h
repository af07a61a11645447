#pragma once

#include <string>

#include "platform/AppFolders.h"
#include "platform/CFile.h"

// File operations the rest of the program needs beyond CFile: whole files read and safely
// rewritten, a rename that never destroys a file, and the running executable's path (the
// program's two folders are in AppFolders.h). A failure is a false result with `error` (when
// given) saying why, as a text for the user.

/// Replaces the file at `path` with `bytes`: written to a temporary file in the same folder,
/// flushed to disk, then renamed over the old one. A symbolic link is followed (its target is
/// replaced, the link stays) and an existing file keeps its permissions; one that we may not
/// write is not replaced. On any failure the old file is left as it was, `error` (when given)
/// says why, and false is returned.
bool WriteFileSafely(const std::string& path, const std::string& bytes,
                     std::string* error = nullptr);

/// Flushes a folder's entries to disk (a rename or link made in it survives a power cut).
void SyncFolder(const std::string& folder);

/// Creates a temporary file beside `path`, named `path` plus ".brindle-tmp-" and six letters or
/// digits, open for writing and locked while it is written; `temp` receives its name. The open
/// descriptor, or -1 with errno set.
int CreateTempFileBeside(const std::string& path, std::string& temp);

/// Removes what a write of `path` left behind when its process died: files CreateTempFileBeside
/// names for `path`, not being written (the writer holds its lock) and older than this process.
/// Returns how many went.
int RemoveStaleTempFiles(const std::string& path);

/// Renames `from` to `to` only when `to` does not exist; never replaces a file.
bool RenameNoReplace(const std::string& from, const std::string& to, std::string* error = nullptr);

/// Reads a whole regular file; false when it cannot be opened (in `mode`: ReadWrite fails for a
/// file we may not write) or read, or is larger than `maxSize` bytes (when not negative).
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error = nullptr,
                   CFile::Mode mode = CFile::Mode::Read, int64_t maxSize = -1);

/// Whether anything, even a symbolic link that leads nowhere, is at `path`.
bool PathExists(const std::string& path);
/// Whether `path` leads to nothing: no such file, or a symbolic link that leads nowhere. False
/// when something is there or it cannot be told (a folder on the way we may not enter).
bool IsMissing(const std::string& path);

/// Whether two paths name the same existing file (the same inode, whatever the spelling).
bool IsSameFile(const std::string& a, const std::string& b);

/// Makes `link` a symbolic link leading to `target` (as given: a bare file name leads into the
/// link's own folder). Never replaces anything already at `link`.
bool CreateSymbolicLink(const std::string& target, const std::string& link,
                        std::string* error = nullptr);
/// What the symbolic link at `path` says it leads to; empty when it is not a link.
std::string ReadSymbolicLink(const std::string& path);
/// Whether `path` is a symbolic link, wherever it leads.
bool IsSymbolicLink(const std::string& path);
/// Whether this process may create files in `folder`.
bool CanCreateFilesIn(const std::string& folder);

/// Where `path` leads once every symbolic link on the way to the file itself is followed (the
/// folders above are taken as they are).
std::string ResolveLinks(const std::string& path);

/// Deletes a file; a file that is not there counts as deleted.
bool RemoveFile(const std::string& path, std::string* error = nullptr);

/// The full path of the running executable.
std::string GetExecutablePath();
