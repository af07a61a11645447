#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

/// A file replaced safely, its new bytes given in pieces: Begin makes a temporary file in the
/// target's folder, Append writes to it, Commit flushes it to disk and renames it over the
/// target. A symbolic link is followed (its target is replaced, the link stays), an existing
/// file keeps its permissions, and one that we may not write is not replaced. Until Commit has
/// succeeded the old file is as it was; the temporary file goes when the object does. After a
/// failure every later step fails too, and Error says why.
class CSafeFileWrite final {
 public:
  CSafeFileWrite() = default;
  ~CSafeFileWrite();
  CSafeFileWrite(const CSafeFileWrite&) = delete;
  CSafeFileWrite& operator=(const CSafeFileWrite&) = delete;

  bool Begin(const std::string& path);
  bool Append(std::string_view bytes);
  bool Commit();
  /// Why a step failed, as a text for the user; empty while none has.
  const std::string& Error() const { return m_error; }

 private:
  bool Fail(const std::string& what);
  void Discard();

  std::string m_target;
  std::string m_temp;
  std::string m_error;
  int m_fd = -1;
  off_t m_written = 0;  // bytes appended so far
};
