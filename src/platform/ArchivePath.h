#pragma once

#include <optional>
#include <string>

// A ROM kept in an archive is named by the archive's path, "#" and the member's path inside it:
// "/roms/Game (USA).zip#Game (USA).sfc". A "#" may appear in any file name, so the path is cut
// at the first "#" that directly follows ".zip", ".7z" or ".gz" (in any letter case), the rule
// RetroArch uses for the same form; every "#" after that one belongs to the member's name.

/// A .zip, .7z or .gz file, by its name in any letter case.
bool IsArchiveFileName(const std::string& path);
/// A .gz file, by its name in any letter case.
bool IsGzipFileName(const std::string& path);

struct ArchiveMemberPath {
  std::string archive;
  std::string member;
};

/// The archive and member a path names; nullopt for the path of a file of its own.
std::optional<ArchiveMemberPath> SplitArchivePath(const std::string& path);
/// "archive#member".
std::string JoinArchivePath(const std::string& archive, const std::string& member);
