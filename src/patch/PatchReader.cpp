#include "patch/PatchReader.h"

#include "platform/CFile.h"

bool ReadPatch(std::string_view bytes, PatchFormat format, PatchSummary& summary,
               std::string& error) {
  if (bytes.empty()) {
    error = "the file is empty";
    return false;
  }
  const std::optional<PatchFormat> found = PatchFormatFromBytes(bytes);
  if (found && *found != format) {
    error = std::string(*found == PatchFormat::Ips ? "it is an " : "it is a ") +
            PatchFormatName(*found) + " patch";
    return false;
  }
  switch (format) {
    case PatchFormat::Bps:
      return ReadBpsPatch(bytes, summary, error);
    case PatchFormat::Ups:
      return ReadUpsPatch(bytes, summary, error);
    case PatchFormat::Ips:
      break;
  }
  if (!found) {
    error = "it does not begin with \"PATCH\"";
    return false;
  }
  return ReadIpsPatch(bytes, summary, error);
}

namespace {

bool ReadPatchBytes(const std::string& path, std::string& bytes, std::string& error) {
  CFile file;
  std::string reason;
  if (!file.Open(path, CFile::Mode::Read, &reason)) {
    error = "The file could not be opened (" + reason + ").";
    return false;
  }
  const int64_t length = file.Length();
  if (length > kMaxPatchFileBytes) {
    error = "The file is too large to be a patch.";
    return false;
  }
  bytes.resize(static_cast<size_t>(length < 0 ? 0 : length));
  // One byte more than the length, to notice a file that grew meanwhile.
  bytes.push_back('\0');
  const int64_t got = file.Read(bytes.data(), static_cast<int64_t>(bytes.size()));
  if (length < 0 || got != length) {
    error = "The file could not be read.";
    return false;
  }
  bytes.pop_back();
  return true;
}

}  // namespace

bool ReadPatchFile(const std::string& path, PatchSummary& summary, std::string& error) {
  std::string bytes;
  if (!ReadPatchBytes(path, bytes, error))
    return false;
  // A name without one of the three extensions is an IPS patch, as it always was here.
  const PatchFormat format = PatchFormatFromPath(path).value_or(PatchFormat::Ips);
  std::string reason;
  if (!ReadPatch(bytes, format, summary, reason)) {
    error = std::string("The file is not a well-formed ") + PatchFormatName(format) +
            " patch: " + reason + ".";
    return false;
  }
  return true;
}
