// Writing brindle.dat.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "db/CPatchDB.h"
#include "db/RecordText.h"
#include "platform/FileSystem.h"
#include "prompt/Diagnostics.h"

namespace {

// Whether any byte of `text` is "|", CR or LF. Every field of every record is scanned each time
// the file is written, so eight bytes are looked at at a time: a byte of a word is zero exactly
// when (x - 0x01..) & ~x & 0x80.. is not.
bool HasFieldBreak(std::string_view text) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  constexpr uint64_t kHighs = 0x8080808080808080ULL;
  const auto anyZero = [](uint64_t x) { return (x - kOnes) & ~x & kHighs; };
  const char* p = text.data();
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, p + i, 8);
    if (anyZero(word ^ (kOnes * '|')) | anyZero(word ^ (kOnes * '\r')) |
        anyZero(word ^ (kOnes * '\n'))) {
      return true;
    }
  }
  for (; i < text.size(); ++i) {
    if (p[i] == '|' || p[i] == '\r' || p[i] == '\n')
      return true;
  }
  return false;
}

}  // namespace

void AppendField(std::string& out, std::string_view text) {
  const size_t start = out.size();
  out += text;
  if (!HasFieldBreak(text))
    return;  // nearly always
  for (size_t i = start; i < out.size(); ++i) {
    const char c = out[i];
    if (c == '|')
      out[i] = '/';
    else if (c == '\r' || c == '\n')
      out[i] = ' ';
  }
}

namespace {

// The reader takes a line whose first character (after blanks and tabs) is ";" for a comment,
// and one that also begins with "[" and ends with "]" for a section label. A record line written
// from `lineStart` must be neither, so such a first character is written as "_".
void KeepRecordLine(std::string& out, size_t lineStart) {
  const size_t first = out.find_first_not_of(" \t", lineStart);
  const size_t last = out.find_last_not_of(" \t");
  if (first == std::string::npos || last < first)
    return;
  if (out[first] == ';' || (out[first] == '[' && out[last] == ']'))
    out[first] = '_';
}

}  // namespace

std::string CPatchDB::Serialize() const {
  std::string out;
  // The size of the last file made is a good guess at the next, and saves a pass over every
  // record (each one a cache miss in a large collection).
  size_t estimate = m_serializedSize + m_serializedSize / 64 + 1024;
  if (m_serializedSize == 0) {
    for (const auto& p : m_patches) {
      estimate += 16 + p->PatchName.size() + p->Author.size() + p->Version.size() +
                  p->Description.size() + p->Filename.size() + p->RomName.size() +
                  p->RomSize.size() + p->RomDigest.size();
    }
    for (const auto& r : m_roms) {
      estimate += 16 + r->RomName.size() + r->RomSize.size() + r->Filename.size() +
                  r->RomDigest.size() + r->ForcedName.size();
    }
  }
  out.reserve(estimate);
  WriteKeptSections(out, FileSection::None);
  out += "[vars]\r\n";
  m_variables.WriteVariables(out);
  out += "\r\n\r\n";
  WriteKeptSections(out, FileSection::Vars);
  out += "[patches]\r\n\r\n";
  out +=
      "; Format: Patch Name|Author|Version|Description|Filename|RomName|RomSize|RomDigest\r\n\r\n";
  for (const auto& p : m_patches) {
    const size_t lineStart = out.size();
    AppendField(out, p->PatchName);
    out += '|';
    AppendField(out, p->Author);
    out += '|';
    AppendField(out, p->Version);
    out += '|';
    AppendField(out, p->Description);
    out += '|';
    out += p->Filename;
    out += '|';
    AppendField(out, p->RomName);
    out += '|';
    AppendField(out, p->RomSize);
    out += '|';
    AppendField(out, p->RomDigest);
    KeepRecordLine(out, lineStart);
    out += "\r\n\r\n";
  }
  out += "\r\n\r\n";
  WriteKeptSections(out, FileSection::Patches);
  out += "[roms]\r\n\r\n";
  out += "; Format: RomName|RomSize|Filename|RomDigest\r\n\r\n";
  for (const auto& r : m_roms) {
    const size_t lineStart = out.size();
    AppendField(out, r->RomName);
    out += '|';
    AppendField(out, r->RomSize);
    out += '|';
    out += r->Filename;
    out += '|';
    AppendField(out, r->RomDigest);
    out += '|';
    if (r->UseForcedName)
      AppendField(out, r->ForcedName);
    KeepRecordLine(out, lineStart);
    out += "\r\n\r\n";
  }
  // A file without sets is written as it was before there were any.
  const bool keptAfterRoms =
      std::any_of(m_keptSections.begin(), m_keptSections.end(),
                  [](const auto& k) { return k.after >= FileSection::Roms; });
  if (!m_sets.empty() || keptAfterRoms)
    out += "\r\n\r\n";
  WriteKeptSections(out, FileSection::Roms);
  if (!m_sets.empty())
    WriteSets(out);
  WriteKeptSections(out, FileSection::Sets);
  m_serializedSize = out.size();
  return out;
}

bool CPatchDB::Save(const std::string& path) {
  std::string error;
  if (!WriteFileSafely(path, Serialize(), &error)) {
    ReportWriteFailure(error);
    return false;
  }
  return true;
}

void CPatchDB::ReportWriteFailure(const std::string& reason) const {
  ShowPlainMessage(m_prompt, "Error: Could not write configuration file.\n\n" + reason);
}

std::string CPatchDB::SettingsText() const {
  std::string out;
  m_variables.WriteVariables(out);
  return out;
}
