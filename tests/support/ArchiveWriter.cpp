#include "support/ArchiveWriter.h"

#include <archive.h>
#include <archive_entry.h>

bool WriteArchive(const std::string& path, ArchiveKind kind,
                  const std::vector<std::pair<std::string, std::string>>& members,
                  const char* options, const char* passphrase) {
  archive* out = archive_write_new();
  bool ok = true;
  switch (kind) {
    case ArchiveKind::Zip:
      ok = archive_write_set_format_zip(out) == ARCHIVE_OK;
      break;
    case ArchiveKind::SevenZip:
      ok = archive_write_set_format_7zip(out) == ARCHIVE_OK;
      break;
    case ArchiveKind::Gzip:
      ok = archive_write_set_format_raw(out) == ARCHIVE_OK &&
           archive_write_add_filter_gzip(out) == ARCHIVE_OK;
      break;
  }
  if (ok && options)
    ok = archive_write_set_options(out, options) == ARCHIVE_OK;
  if (ok && passphrase)
    ok = archive_write_set_passphrase(out, passphrase) == ARCHIVE_OK;
  ok = ok && archive_write_open_filename(out, path.c_str()) == ARCHIVE_OK;
  for (const auto& [name, bytes] : members) {
    if (!ok)
      break;
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, name.c_str());
    archive_entry_set_size(entry, static_cast<la_int64_t>(bytes.size()));
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    ok = archive_write_header(out, entry) == ARCHIVE_OK &&
         archive_write_data(out, bytes.data(), bytes.size()) ==
             static_cast<la_ssize_t>(bytes.size());
    archive_entry_free(entry);
    if (kind == ArchiveKind::Gzip)
      break;
  }
  ok = archive_write_close(out) == ARCHIVE_OK && ok;
  archive_write_free(out);
  return ok;
}

std::string RomBytes(size_t length, const std::string& name) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; i += 4096)
    bytes[i] = static_cast<char>(i / 4096 * 7);
  const bool header = length >= 512 && (length - 512) % 1048576 == 0;
  const size_t offset = header ? 65984 : 65472;
  if (offset < length)
    bytes.replace(offset, std::min(name.size(), length - offset), name.substr(0, length - offset));
  return bytes;
}
