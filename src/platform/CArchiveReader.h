#pragma once

#include <cstdint>
#include <string>

#include "platform/ArchivePath.h"

struct archive;

/// Reads the members of a .zip, .7z or .gz archive one after the other, each as a stream of
/// bytes, so that nothing is unpacked to the disk or held whole in memory. A .gz file has one
/// member, named after the archive without its ".gz".
class CArchiveReader final {
 public:
  struct Member {
    std::string name;     // its path inside the archive, in UTF-8 where it can be told
    std::string rawName;  // the same as the archive spells it, when that differs
    int64_t size = -1;    // -1 when the archive does not say
    bool regular = false;
    bool encrypted = false;
  };

  CArchiveReader() = default;
  ~CArchiveReader();
  CArchiveReader(const CArchiveReader&) = delete;
  CArchiveReader& operator=(const CArchiveReader&) = delete;

  /// Opens the archive file (a regular file or a link to one). False with Error() set when it
  /// cannot be opened or is not an archive of a kind Brindle reads.
  bool Open(const std::string& path);
  /// Moves to the next member; false at the end of the archive, or on damage (Error() is then
  /// set).
  bool Next(Member& member);
  /// Moves to the member of that name (as Next gives either of its names); false when the
  /// archive has none (Error() is set only when the archive is damaged).
  bool Find(const std::string& name, Member& member);
  /// Reads up to `size` bytes of the current member: the count, 0 at its end, -1 on an error
  /// (Error() says why).
  int64_t Read(void* buffer, size_t size);
  /// The whole of the member `name` of the archive at `path`, when it is shorter than `limit`
  /// bytes. False with `error` set otherwise.
  static bool ReadMember(const std::string& path, const std::string& name, int64_t limit,
                         std::string& bytes, std::string* error);
  /// Why the last operation failed, in words for a message; empty when nothing failed.
  const std::string& Error() const { return m_error; }

 private:
  void SetError(const char* what);

  archive* m_archive = nullptr;
  std::string m_gzipMember;  // the one member's name, for a .gz file
  bool m_gzip = false;
  bool m_started = false;
  std::string m_error;
};
