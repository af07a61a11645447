#include "patch/PatchReader.h"

#include "platform/FileSystem.h"

bool ReadPatch(std::string_view bytes, PatchFormat format, PatchSummary& summary,
               std::string& error, PatchTarget* apply) {
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
      return ReadBpsPatch(bytes, summary, error, apply);
    case PatchFormat::Ups:
      return ReadUpsPatch(bytes, summary, error, apply);
    case PatchFormat::Ips:
      break;
  }
  if (!found) {
    error = "it does not begin with \"PATCH\"";
    return false;
  }
  return ReadIpsPatch(bytes, summary, error);
}

bool ReadPatchFile(const std::string& path, PatchSummary& summary, std::string& error,
                   std::string* kept) {
  std::string own;
  std::string& bytes = kept ? *kept : own;
  if (!ReadPatchBytes(path, bytes, error))
    return false;
  const PatchFormat format = PatchFormatOfFile(path);
  std::string reason;
  if (!ReadPatch(bytes, format, summary, reason)) {
    error = NotWellFormed(format, reason);
    return false;
  }
  return true;
}

std::string NotWellFormed(PatchFormat format, const std::string& reason) {
  return std::string("The file is not a well-formed ") + PatchFormatName(format) +
         " patch: " + reason + ".";
}

bool ReadPatchBytes(const std::string& path, std::string& bytes, std::string& error) {
  if (std::string reason;
      !ReadWholeFile(path, bytes, &reason, CFile::Mode::Read, kMaxPatchFileBytes)) {
    error = "The file could not be read (" + reason + ").";
    return false;
  }
  return true;
}

PatchFormat PatchFormatOfFile(const std::string& path) {
  // A name without one of the three extensions is an IPS patch, as it always was here.
  return PatchFormatFromPath(path).value_or(PatchFormat::Ips);
}
