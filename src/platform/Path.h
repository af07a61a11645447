#pragma once

#include <string>

// Taking paths apart and putting them together. Paths are byte texts with "/" between names;
// nothing here looks at the disk except CurrentFolder and NormalizePath.

/// Everything up to and including the last "/"; empty when the path has none.
std::string FolderOf(const std::string& path);
/// The path without the slashes at its end; "/" stays as it is.
std::string WithoutTrailingSlashes(std::string path);
/// The folder of a path as a path of its own, without a trailing "/": "." when the path has no
/// "/", "/" for a name directly under the root.
std::string DirectoryOf(const std::string& path);
/// The file name without its folder and without its last extension; a name without any "." is
/// taken whole.
std::string BaseName(const std::string& path);

/// The process's current folder; empty when it cannot be told.
std::string CurrentFolder();
/// `path` taken against `base`: unchanged when it is empty or absolute, or when `base` is empty.
/// "." and ".." are left as they are.
std::string MakeAbsolute(const std::string& path, const std::string& base);
/// The same against the current folder.
std::string MakeAbsolute(const std::string& path);

/// A path typed by the user as one spelling of the file: made absolute, with "." and repeated
/// "/" taken out. A ".." is taken where it leads on the disk (after a symbolic link to a folder
/// that is not the folder above the link's); the file's own name is kept as it is.
std::string NormalizePath(const std::string& path);

/// A path as the user typed it, with a leading "~" (alone or before "/") standing for `home`.
/// "~user" and a "~" further in are names like any other.
std::string ExpandHome(const std::string& path, const std::string& home);
/// The same with the user's home folder.
std::string ExpandHome(const std::string& path);
