#pragma once

#include <optional>
#include <string>
#include <vector>

// Folders as the folder picker sees them: what a path names, creating a folder with its parents,
// the kind of medium a path lies on, and the names inside a folder.

/// Unreachable: a folder on the way to it may not be searched, so whether it exists cannot be
/// told (and nothing can be made there).
enum class PathKind { Missing, Folder, File, Unreachable };

/// What `path` names, following symbolic links.
PathKind GetPathKind(const std::string& path);

/// Creates the folder and every missing folder above it; an existing folder counts as created.
/// On failure `error` (when given) says why.
bool CreateFolderWithParents(const std::string& path, std::string* error = nullptr);

/// The kind of medium, as far as it changes what the user is told when a folder cannot be made.
enum class DriveType { Fixed, Removable, Network, CdRom };

/// The medium of the mount that holds `path` (an absolute path), read from a mount table in the
/// layout of /proc/self/mounts: network file systems, CD and DVD file systems, and anything
/// mounted under /media or /run/media (where desktops mount removable media).
DriveType DriveTypeFromMounts(const std::string& path, const std::string& mountTable);
/// The same from the running system's mount table.
DriveType GetDriveType(const std::string& path);

/// The names in a folder, "." and ".." included, in no particular order; empty when the folder
/// cannot be read.
std::vector<std::string> ListFolder(const std::string& folder);

/// Whether names in this folder are found regardless of letter case (a FAT or SMB mount, say):
/// looked up by trying one of its own names in the other case.
bool IsFolderCaseInsensitive(const std::string& folder);

/// The user's home folder, without a trailing "/".
std::string GetHomeFolder();

/// The home folder that the password database gives this user, whatever $HOME says (where
/// programs such as ZSNES keep their files), without trailing "/" (so "" for "/"); nothing when
/// the user has no entry there.
std::optional<std::string> GetPasswordHomeFolder();
