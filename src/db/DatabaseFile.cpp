// Reading and writing brindle.dat.
#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

#include "db/CPatchDB.h"
#include "db/RecordText.h"
#include "db/SizeWord.h"
#include "parser/TextUtil.h"
#include "platform/FileSystem.h"
#include "prompt/Diagnostics.h"

namespace {

using Section = CPatchDB::FileSection;

// A label of a section this version does not know (one a later version wrote): a word in one
// pair of brackets, without blanks. Such a section is kept as it is, to be written back.
bool IsOtherLabel(std::string_view line) {
  if (line.size() < 3 || line.front() != '[' || line.back() != ']')
    return false;
  return line.substr(1, line.size() - 2).find_first_of("[] \t") == std::string_view::npos;
}

constexpr size_t kReadPiece = 256 * 1024;

// Splits `text` at "|" into the given fields, each trimmed; missing ones are empty and text
// after the last field is ignored. The fields are filled in place: a large database has a
// hundred thousand lines.
void SplitFields(std::string_view text, std::initializer_list<std::string*> fields) {
  size_t pos = 0;
  for (std::string* field : fields) {
    if (pos > text.size()) {
      field->clear();
      continue;
    }
    size_t bar = text.find('|', pos);
    if (bar == std::string_view::npos)
      bar = text.size();
    // Trimmed here rather than by TrimmedBlanks: this runs for every field of every record.
    size_t begin = pos;
    size_t end = bar;
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
      ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
      --end;
    // A new string of the field's own size: assigning into an empty one would round its
    // capacity up, and a hundred thousand records would hold the difference.
    *field = std::string(text.substr(begin, end - begin));
    pos = bar + 1;
  }
}

// Makes `text` the size text the database writes for `sizeWord`. A text that already reads so
// (as every one in a file the program wrote) is kept: no new string per record.
void KeepSizeText(std::string& text, int32_t sizeWord, const char* noHeaderSuffix) {
  char digits[4];
  const auto written = std::to_chars(digits, digits + sizeof digits, Megabits(sizeWord));
  const std::string_view number(digits, static_cast<size_t>(written.ptr - digits));
  const std::string_view suffix = HasHeader(sizeWord) ? "" : noHeaderSuffix;
  const std::string_view current = text;
  if (current.size() == number.size() + 4 + suffix.size() && current.starts_with(number) &&
      current.substr(number.size(), 4) == "Mbit" && current.ends_with(suffix)) {
    return;
  }
  text = FormatSizeText(sizeWord, noHeaderSuffix);
}

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

void AppendField(std::string& out, const std::string& text) {
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

// Reads the lines of brindle.dat one at a time, as they come. A line's text is copied into the
// line contexts only when a message may quote it, and for the last line, which they hold
// afterwards: a large database has a hundred thousand record lines and hardly ever a message.
class CDatabaseReader final {
 public:
  explicit CDatabaseReader(CPatchDB& db) : m_db(db) { db.GetLineContext().number = 0; }

  /// Reads the lines of `text` from `pos`, and returns where the first line not read starts. A
  /// line is read once its end is in `text` (and, after a CR, the byte that may be its LF), or
  /// at the end of the file, `atEnd`, in any case.
  size_t ReadLines(std::string_view text, size_t pos, bool atEnd) {
    const size_t start = pos;
    size_t limit = text.size();
    if (!atEnd) {
      // Up to the last line end with the byte after it in `text` too (a CR may be half a CR LF).
      while (limit > pos && text[limit - 1] != '\n' &&
             (text[limit - 1] != '\r' || limit == text.size())) {
        --limit;
      }
    }
    while (pos < limit)
      ReadLine(NextLine(text, pos));
    if (pos != start)
      KeepLastLine();
    return pos;
  }

  /// Ends the set being read, and leaves the last line read, as read and as taken, in the line
  /// contexts.
  void Finish() {
    if (m_section == Section::Sets)
      m_db.FinishSetLines();
    if (m_db.GetLineContext().number == 0)
      return;
    LineContext& moduleContext = ModuleLineContext();
    moduleContext.number = m_db.GetLineContext().number;
    moduleContext.text = m_lastRaw;
    m_db.GetLineContext().text = m_lastLine;
  }

 private:
  static Section KnownSection(std::string_view label) {
    if (label == "vars")
      return Section::Vars;
    if (label == "roms")
      return Section::Roms;
    if (label == "patches")
      return Section::Patches;
    if (label == "sets")
      return Section::Sets;
    return Section::None;
  }

  // Whether a trimmed line switches to a section this version reads: brackets anywhere are
  // dropped and letter case ignored.
  static bool IsKnownLabel(std::string_view line) {
    if (line.empty() || line.front() != '[' || line.back() != ']')
      return false;
    std::string label;
    for (char c : line) {
      if (c != '[' && c != ']')
        label += AsciiToLower(c);
    }
    return KnownSection(label) != Section::None;
  }

  void ReadLine(std::string_view raw) {
    LineContext& context = m_db.GetLineContext();
    ++context.number;
    m_raw = raw;
    m_line = TrimmedBlanks(raw);
    // Each unknown label begins a kept section of its own.
    const bool otherLabel = IsOtherLabel(m_line) && !IsKnownLabel(m_line);
    if (m_kept != nullptr && !otherLabel && !IsKnownLabel(m_line)) {
      m_kept->lines.emplace_back(raw);
      return;
    }
    if (m_line.empty() || m_line[0] == ';')
      return;
    if (otherLabel) {
      if (m_section == Section::Sets)
        m_db.FinishSetLines();
      m_kept = &m_db.KeepSection(m_known, raw);
      return;
    }
    if (m_line.front() == '[' && m_line.back() == ']') {
      m_label.clear();
      for (char c : m_line) {
        if (c != '[' && c != ']')
          m_label += AsciiToLower(c);
      }
      m_line = m_label;
      if (const Section section = KnownSection(m_label); section != Section::None) {
        if (m_section == Section::Sets)
          m_db.FinishSetLines();
        m_section = m_known = section;
        m_kept = nullptr;
        return;
      }
    }
    switch (m_section) {
      case Section::Vars: {
        LineContext& moduleContext = ModuleLineContext();
        moduleContext.number = context.number;
        moduleContext.text.assign(raw);
        context.text.assign(m_line);
        m_db.Variables().ExecuteStatement(context.text, false);
        break;
      }
      case Section::Roms:
        m_db.ParseRomLine(m_line);
        break;
      case Section::Patches:
        m_db.ParsePatchLine(m_line);
        break;
      case Section::Sets:
        m_db.ParseSetLine(m_line);
        break;
      case Section::None:
        context.text.assign(m_line);
        m_db.ReportLineWarning("Statement occurs outside of valid section label.");
        break;
    }
  }

  // The bytes the views of the last line point at are about to be read over.
  void KeepLastLine() {
    m_lastRaw.assign(m_raw);
    m_lastLine.assign(m_line);
    m_raw = m_lastRaw;
    m_line = m_lastLine;
  }

  CPatchDB& m_db;
  Section m_section = Section::None;
  Section m_known = Section::None;          // the last known section begun
  CPatchDB::KeptSection* m_kept = nullptr;  // the unknown section being read, if any
  std::string_view m_raw;
  std::string_view m_line;
  std::string m_label;
  std::string m_lastRaw;
  std::string m_lastLine;
};

}  // namespace

int CPatchDB::Load(const std::string& path) {
  m_databasePath = path;
  CFile file;
  if (!file.Open(path)) {
    // Only a missing file is a first run; a file we may not read must never be overwritten.
    return IsMissing(path) ? 1 : -1;
  }
  // The file is read a piece at a time into one buffer, and its lines as each piece comes: a
  // copy of a large file in memory would cost more than reading it.
  CDatabaseReader reader(*this);
  std::string buffer(kReadPiece, '\0');
  size_t held = 0;  // the start of a line not read yet, at the front of the buffer
  bool first = true;
  for (;;) {
    if (held == buffer.size())
      buffer.resize(buffer.size() * 2);  // a line longer than the buffer
    const int64_t wanted = static_cast<int64_t>(buffer.size() - held);
    const int64_t got = file.Read(buffer.data() + held, wanted);
    if (got < 0)
      return -1;
    const bool atEnd = got < wanted;
    const std::string_view text(buffer.data(), held + static_cast<size_t>(got));
    const size_t start = first ? ByteOrderMarkLength(text) : 0;
    first = false;
    const size_t pos = reader.ReadLines(text, start, atEnd);
    if (atEnd)
      break;
    held = text.size() - pos;
    std::memmove(buffer.data(), buffer.data() + pos, held);
  }
  reader.Finish();
  return 0;
}

void CPatchDB::LoadBytes(std::string_view bytes) {
  CDatabaseReader reader(*this);
  reader.ReadLines(bytes, ByteOrderMarkLength(bytes), true);
  reader.Finish();
}

bool CPatchDB::ParsePatchLine(std::string_view text) {
  auto patch = std::make_unique<PatchRecord>();
  SplitFields(text, {&patch->PatchName, &patch->Author, &patch->Version, &patch->Description,
                     &patch->Filename, &patch->RomName, &patch->RomSize, &patch->RomDigest});

  std::string errors;
  bool failed = false;
  auto add = [&](bool condition, const char* message) {
    if (condition) {
      if (errors.empty())
        errors = "Patch entry contains errors:\n";
      errors += message;
      failed = true;
    }
  };
  add(patch->PatchName.empty(), "\nERROR P01: Patch name not specified.");
  add(patch->Filename.empty(), "\nERROR P02: Patch filename not specified.");
  add(patch->RomName.empty(), "\nERROR P03: Target ROM name not specified.");
  add(patch->RomSize.empty(), "\nERROR P04: Target ROM size not specified.");
  patch->SizeWord = ParseRomSize(patch->RomSize);
  if (!failed) {
    if (patch->SizeWord != kNoSize) {
      KeepSizeText(patch->RomSize, patch->SizeWord, " No header");
      m_patches.push_back(std::move(patch));
      return true;
    }
    errors = "Patch entry contains errors:\n\nERROR P10: Target ROM size invalid.";
  }
  m_lineContext.text.assign(text);
  ReportLineError(errors);
  return false;
}

bool CPatchDB::ParseRomLine(std::string_view text) {
  auto rom = std::make_unique<RomRecord>();
  SplitFields(text,
              {&rom->RomName, &rom->RomSize, &rom->Filename, &rom->RomDigest, &rom->ForcedName});

  std::string errors;
  bool failed = false;
  auto add = [&](bool condition, const char* message) {
    if (condition) {
      if (errors.empty())
        errors = "Game entry contains errors:\n";
      errors += message;
      failed = true;
    }
  };
  add(rom->RomName.empty(), "\nERROR G01: Game name not specified.");
  add(rom->RomSize.empty(), "\nERROR G02: ROM size not specified.");
  add(rom->Filename.empty(), "\nERROR G03: ROM filename not specified.");
  add(rom->RomDigest.empty(), "\nERROR G04: File digest not specified.");
  rom->SizeWord = ParseRomSize(rom->RomSize);
  add(!failed && rom->SizeWord == kNoSize, "\nERROR G10: Invalid ROM size.");
  rom->UseForcedName = !rom->ForcedName.empty();
  if (failed) {
    m_lineContext.text.assign(text);
    ReportLineError(errors);
    return false;
  }
  KeepSizeText(rom->RomSize, rom->SizeWord, " (No header)");
  m_roms.push_back(std::move(rom));
  return true;
}

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
