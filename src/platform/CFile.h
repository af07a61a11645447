#pragma once

#include <cstdint>
#include <string>

/// A thin owner of a POSIX file descriptor: the "file object" the database reads ROMs and its
/// own file through. A default-constructed or closed CFile is unopened.
class CFile final {
 public:
  enum class Mode { Read, ReadWrite };

  CFile() = default;
  ~CFile();
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;
  CFile(CFile&& other) noexcept;
  CFile& operator=(CFile&& other) noexcept;

  /// Opens an existing regular file (or a link to one). Never creates one; a folder, FIFO or
  /// device does not open, at once. On failure
  /// `error` (when given) says why.
  bool Open(const std::string& path, Mode mode = Mode::Read, std::string* error = nullptr);
  void Close();
  bool IsOpen() const { return m_fd >= 0; }

  /// Length in bytes, -1 on failure.
  int64_t Length() const;
  bool Seek(int64_t offset);
  /// Reads up to `size` bytes; returns the number read (fewer only at the end of the file), or
  /// -1 on an error. Retries interrupted and partial reads.
  int64_t Read(void* buffer, int64_t size);
  int Descriptor() const { return m_fd; }

 private:
  int m_fd = -1;
};
