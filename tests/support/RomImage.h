#pragma once

#include <cstdint>
#include <string>

/// Writes a file of `length` bytes, sparse where nothing was written, with `bytes` stored at
/// `offset` (clipped to the file's length). Returns false when the file could not be made.
bool MakeRomImage(const std::string& path, int64_t length, int64_t offset = 0,
                  const std::string& bytes = std::string());

/// Overwrites bytes of an existing file in place, without changing its length beyond them.
bool WriteBytesAt(const std::string& path, int64_t offset, const std::string& bytes);
