// Writing brindle.dat.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "db/CPatchDB.h"
#include "db/RecordText.h"
#include "platform/FileSystem.h"
#include "prompt/Diagnostics.h"

namespace {

// Whether any byte of `text` is "|", CR or LF. Every field of every record is scanned each time
// the file is written, so sixteen bytes are compared at a time, as the compiler's vectors do on
// any processor.
bool HasFieldBreak(std::string_view text) {
  using Bytes = unsigned char __attribute__((vector_size(16)));
  const char* p = text.data();
  size_t i = 0;
  for (; i + 16 <= text.size(); i += 16) {
    Bytes bytes;
    std::memcpy(&bytes, p + i, 16);
    const auto hits = (bytes == '|') | (bytes == '\r') | (bytes == '\n');
    uint64_t halves[2];
    std::memcpy(halves, &hits, 16);
    if ((halves[0] | halves[1]) != 0)
      return true;
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
// to [begin, end) must be neither, so such a first character is written as "_".
void KeepRecordLine(char* begin, char* end) {
  while (begin < end && (*begin == ' ' || *begin == '\t'))
    ++begin;
  while (end > begin && (end[-1] == ' ' || end[-1] == '\t'))
    --end;
  if (begin < end && (*begin == ';' || (*begin == '[' && end[-1] == ']')))
    *begin = '_';
}

// A record line: its fields with "|" between them (and after the last one when `endBar`), each
// made harmless as AppendField does save the one at `rawField` (a path, written as it is), kept
// from reading as a comment or a label, then "\r\n\r\n". It is put together in a buffer on
// the stack and appended at once: a large collection has a hundred thousand lines to write.
template <size_t N>
void AppendRecordLine(std::string& out, const std::array<std::string_view, N>& fields,
                      size_t rawField, bool endBar) {
  size_t size = N - 1 + (endBar ? 1 : 0) + 4;
  for (std::string_view field : fields)
    size += field.size();
  char stackBuffer[1024];
  std::string heapBuffer;
  char* line = stackBuffer;
  if (size > sizeof stackBuffer) {
    heapBuffer.resize(size);
    line = heapBuffer.data();
  }
  char* p = line;
  for (size_t i = 0; i < N; ++i) {
    if (i > 0)
      *p++ = '|';
    const std::string_view field = fields[i];
    if (!field.empty())
      std::memcpy(p, field.data(), field.size());
    if (i != rawField && HasFieldBreak(field)) {
      for (char* c = p; c < p + field.size(); ++c) {
        if (*c == '|')
          *c = '/';
        else if (*c == '\r' || *c == '\n')
          *c = ' ';
      }
    }
    p += field.size();
  }
  if (endBar)
    *p++ = '|';
  KeepRecordLine(line, p);
  std::memcpy(p, "\r\n\r\n", 4);
  out.append(line, size);
}

}  // namespace

std::string CPatchDB::Serialize() const {
  std::string out;
  SerializeInto(out, nullptr);
  return out;
}

void CPatchDB::Serialize(const TextPieceSink& piece) const {
  std::string out;
  SerializeInto(out, &piece);
  piece(std::move(out));
}

void CPatchDB::SerializeInto(std::string& out, const TextPieceSink* piece) const {
  size_t handedOn = 0;
  // Hands the bytes made so far on once they fill a piece, so that they are written while the
  // rest is still being made.
  auto handOn = [&] {
    if (piece == nullptr || out.size() < kTextPieceBytes)
      return;
    handedOn += out.size();
    (*piece)(std::move(out));
    out = std::string();
    out.reserve(kTextPieceBytes + kTextPieceBytes / 8);
  };
  // The size of the last file made is a good guess at the next, and saves a pass over every
  // record (each one a cache miss in a large collection).
  size_t estimate = m_serializedSize + m_serializedSize / 64 + 1024;
  if (piece != nullptr) {
    estimate = kTextPieceBytes + kTextPieceBytes / 8;
  } else if (m_serializedSize == 0) {
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
  for (const PatchRecord* p : m_patches) {
    AppendRecordLine<8>(out,
                        {p->PatchName, p->Author, p->Version, p->Description, p->Filename,
                         p->RomName, p->RomSize, p->RomDigest},
                        4, false);
    handOn();
  }
  out += "\r\n\r\n";
  WriteKeptSections(out, FileSection::Patches);
  out += "[roms]\r\n\r\n";
  out += "; Format: RomName|RomSize|Filename|RomDigest\r\n\r\n";
  for (const RomRecord* r : m_roms) {
    AppendRecordLine<5>(out,
                        {r->RomName, r->RomSize, r->Filename, r->RomDigest,
                         r->UseForcedName ? r->ForcedName.view() : std::string_view()},
                        2, false);
    handOn();
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
  m_serializedSize = handedOn + out.size();
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
