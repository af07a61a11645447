#pragma once

#include <string>
#include <utility>
#include <vector>

enum class ArchiveKind { Zip, SevenZip, Gzip };

/// Writes an archive of `members` (name, bytes) with libarchive; a .gz takes the first member's
/// bytes only. `options` are libarchive's writer options ("zip:encryption=zipcrypt"). False when
/// libarchive cannot write it.
bool WriteArchive(const std::string& path, ArchiveKind kind,
                  const std::vector<std::pair<std::string, std::string>>& members,
                  const char* options = nullptr, const char* passphrase = nullptr);

/// A ROM image of `length` bytes (zeros with a pattern) holding `name` at the name offset its
/// length gives.
std::string RomBytes(size_t length, const std::string& name);
