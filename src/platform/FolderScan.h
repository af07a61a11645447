#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

/// What a folder scan does with what it meets; every handler is called on the scanning thread.
struct FolderScanHandlers {
  /// Whether a file of this name is wanted (folders are always entered).
  std::function<bool(const std::string& name)> wanted;
  /// A wanted regular file (or a link to one), with its length.
  std::function<void(const std::string& path, int64_t size)> found;
  /// Something below the folders that was skipped, with the reason for the user; `missed` when
  /// wanted files may have gone unseen (a folder that cannot be read), not just a bad link.
  std::function<void(const std::string& path, const std::string& reason, bool missed)> problem;
  /// Asked before each entry; true stops the scan.
  std::function<bool()> cancelled;
};

/// Walks every folder below each of `roots` (in that order), the entries of a folder in the
/// byte order of their names, following links. A folder is entered once however many links lead
/// to it; a link back into a folder above it, a circle of links, a folder that cannot be read
/// and a file that disappears are reported and skipped. False when cancelled.
bool ScanFolders(const std::vector<std::string>& roots, const FolderScanHandlers& handlers);
