#pragma once

#include <string>
#include <string_view>

#include "patch/PatchSummary.h"

class PatchTarget;

// The patch reader: checks that bytes are a well-formed patch of a format, without applying it,
// and never reads outside them. What is wrong is said as a clause that reads on after "The file
// is not a well-formed IPS patch: ", such as "the file ends inside the record at byte 12".

/// Reads `bytes` as a patch of `format`. False, with `error` saying what is wrong, when they are
/// not a well-formed patch of that format (or are one of another format). With `apply`, a BPS
/// or UPS patch is applied to it as it is read.
bool ReadPatch(std::string_view bytes, PatchFormat format, PatchSummary& summary,
               std::string& error, PatchTarget* apply = nullptr);

/// Reads the patch file at `path` as the format its extension says (IPS for any other name).
/// False, with `error` saying what is wrong as a sentence, when the file cannot be read or is
/// not such a patch. The file's bytes are kept in `bytes` when it is given.
bool ReadPatchFile(const std::string& path, PatchSummary& summary, std::string& error,
                   std::string* bytes = nullptr);

/// The bytes of the patch file at `path`; false, with `error` saying why as a sentence, when it
/// cannot be read.
bool ReadPatchBytes(const std::string& path, std::string& bytes, std::string& error);
/// The format a patch file is read as: the one its extension says, IPS for any other name.
PatchFormat PatchFormatOfFile(const std::string& path);
/// "The file is not a well-formed IPS patch: " and what is wrong, as a sentence.
std::string NotWellFormed(PatchFormat format, const std::string& reason);

/// The largest patch file read: far beyond any patch of a SNES game.
inline constexpr int64_t kMaxPatchFileBytes = 64 << 20;

// One reader per format, called by ReadPatch once the format's signature is there.
bool ReadIpsPatch(std::string_view bytes, PatchSummary& summary, std::string& error);
bool ReadBpsPatch(std::string_view bytes, PatchSummary& summary, std::string& error,
                  PatchTarget* apply = nullptr);
bool ReadUpsPatch(std::string_view bytes, PatchSummary& summary, std::string& error,
                  PatchTarget* apply = nullptr);
