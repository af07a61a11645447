#include "platform/CArchiveReader.h"

#include <archive.h>
#include <archive_entry.h>

#include <cstring>

#include "platform/ArchivePath.h"
#include "platform/CFile.h"

namespace {

// Enough that libarchive reads in large blocks; the formats need no more.
constexpr size_t kBlockSize = 64 * 1024;

}  // namespace

CArchiveReader::~CArchiveReader() {
  if (m_archive != nullptr)
    archive_read_free(m_archive);
}

bool CArchiveReader::Open(const std::string& path) {
  m_error.clear();
  // Only a regular file is read: a FIFO or a device would hang or never end.
  if (CFile probe; !probe.Open(path, CFile::Mode::Read, &m_error))
    return false;
  m_archive = archive_read_new();
  if (m_archive == nullptr) {
    m_error = "out of memory";
    return false;
  }
  m_gzip = IsGzipFileName(path);
  if (m_gzip) {
    // A .gz file is one compressed stream, not a collection of members.
    archive_read_support_filter_gzip(m_archive);
    archive_read_support_format_raw(m_archive);
    const std::string name = path.substr(path.rfind('/') + 1);
    m_gzipMember = name.substr(0, name.size() - 3);
  } else {
    archive_read_support_filter_none(m_archive);
    archive_read_support_format_zip(m_archive);
    archive_read_support_format_7zip(m_archive);
  }
  if (archive_read_open_filename(m_archive, path.c_str(), kBlockSize) != ARCHIVE_OK) {
    SetError("it is not an archive Brindle can read");
    return false;
  }
  return true;
}

bool CArchiveReader::Next(Member& member) {
  if (m_archive == nullptr)
    return false;
  // A .gz file that is not compressed at all reads as a raw stream too: it is refused.
  if (m_gzip && m_started)
    return false;
  archive_entry* entry = nullptr;
  const int result = archive_read_next_header(m_archive, &entry);
  if (result == ARCHIVE_EOF)
    return false;
  if (result < ARCHIVE_WARN) {
    SetError("the archive is damaged");
    return false;
  }
  if (m_gzip && archive_filter_code(m_archive, 0) != ARCHIVE_FILTER_GZIP) {
    m_error = "it is not a gzip file";
    return false;
  }
  m_started = true;
  member = {};
  if (m_gzip) {
    member.name = m_gzipMember;
  } else {
    const char* raw = archive_entry_pathname(entry);
    const char* utf8 = archive_entry_pathname_utf8(entry);
    member.rawName = raw != nullptr ? raw : "";
    member.name = utf8 != nullptr ? utf8 : member.rawName;
    if (member.rawName == member.name)
      member.rawName.clear();
  }
  member.size = archive_entry_size_is_set(entry) && !m_gzip ? archive_entry_size(entry) : -1;
  member.regular = m_gzip || archive_entry_filetype(entry) == AE_IFREG;
  member.encrypted = archive_entry_is_encrypted(entry) != 0;
  return true;
}

bool CArchiveReader::Find(const std::string& name, Member& member) {
  while (Next(member)) {
    if (member.name == name || (!member.rawName.empty() && member.rawName == name))
      return true;
  }
  return false;
}

bool CArchiveReader::ReadMember(const std::string& path, const std::string& name, int64_t limit,
                                std::string& bytes, std::string* error) {
  CArchiveReader reader;
  Member member;
  std::string problem;
  if (!reader.Open(path) || !reader.Find(name, member)) {
    problem = reader.Error().empty() ? "the archive holds no file of that name" : reader.Error();
  } else if (member.encrypted) {
    problem = "the archive is encrypted";
  } else {
    bytes.clear();
    char buffer[kBlockSize];
    for (;;) {
      const int64_t got = reader.Read(buffer, sizeof buffer);
      if (got == 0)
        return true;
      if (got < 0) {
        problem = reader.Error();
        break;
      }
      if (static_cast<int64_t>(bytes.size()) + got >= limit) {
        problem = "it is too large";
        break;
      }
      bytes.append(buffer, static_cast<size_t>(got));
    }
  }
  if (error)
    *error = problem;
  return false;
}

int64_t CArchiveReader::Read(void* buffer, size_t size) {
  if (m_archive == nullptr)
    return -1;
  const la_ssize_t got = archive_read_data(m_archive, buffer, size);
  if (got < 0) {
    SetError("the archive is damaged");
    return -1;
  }
  return got;
}

void CArchiveReader::SetError(const char* what) {
  const char* detail = m_archive != nullptr ? archive_error_string(m_archive) : nullptr;
  m_error = what;
  if (detail != nullptr && *detail != '\0')
    m_error += std::string(": ") + detail;
}
