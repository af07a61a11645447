// Reading brindle.dat (DatabaseWrite.cpp writes it).
#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "db/CPatchDB.h"
#include "db/RecordText.h"
#include "db/SizeWord.h"
#include "parser/TextUtil.h"
#include "platform/FileSystem.h"
#include "prompt/Diagnostics.h"

namespace {

using Section = CPatchDB::FileSection;
using Repeated = CFieldStore::Repeated;

// A label of a section this version does not know (one a later version wrote): a word in one
// pair of brackets, without blanks. Such a section is kept as it is, to be written back.
bool IsOtherLabel(std::string_view line) {
  if (line.size() < 3 || line.front() != '[' || line.back() != ']')
    return false;
  return line.substr(1, line.size() - 2).find_first_of("[] \t") == std::string_view::npos;
}

constexpr size_t kReadPiece = 256 * 1024;

// Where the first bars of `text` are, at most `most` of them, into `bars`; returns how many. A
// record line is looked at sixteen bytes at a time: a search for each bar apart would start over
// eight times a line.
size_t FindBars(std::string_view text, size_t* bars, size_t most) {
  const char* p = text.data();
  size_t found = 0;
  size_t i = 0;
  if (most == 0)
    return 0;
#ifdef __SSE2__
  const __m128i bar = _mm_set1_epi8('|');
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, bar)));
    for (; mask != 0; mask &= mask - 1) {
      bars[found++] = i + static_cast<size_t>(__builtin_ctz(mask));
      if (found == most)
        return found;
    }
  }
#else
  // Elsewhere the library's search, one bar at a time.
  for (size_t bar = text.find('|'); bar != std::string_view::npos; bar = text.find('|', bar + 1)) {
    bars[found++] = bar;
    if (found == most)
      return found;
  }
  i = text.size();
#endif
  for (; i < text.size(); ++i) {
    if (p[i] == '|') {
      bars[found++] = i;
      if (found == most)
        return found;
    }
  }
  return found;
}

// Splits `text` at "|" into `fields`, each trimmed; missing ones are empty and text after the
// last field is ignored.
template <size_t N>
void SplitFields(std::string_view text, std::array<std::string_view, N>& fields) {
  size_t bars[N];
  const size_t found = FindBars(text, bars, N);
  size_t pos = 0;
  for (size_t k = 0; k < N; ++k) {
    if (pos > text.size()) {
      fields[k] = {};
      continue;
    }
    const size_t bar = k < found ? bars[k] : text.size();
    // Trimmed here rather than by TrimmedBlanks: this runs for every field of every record.
    size_t begin = pos;
    size_t end = bar;
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
      ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
      --end;
    fields[k] = text.substr(begin, end - begin);
    pos = bar + 1;
  }
}

// Lends `field` the size text the database writes for `sizeWord` in a ROM's record or a patch's,
// whatever form the file has it in: a record's size is written as its size word reads.
void LendSizeText(CFieldStore& store, FieldText& field, int32_t sizeWord, bool romRecord) {
  const uint64_t name = static_cast<uint64_t>(static_cast<uint32_t>(sizeWord)) << 1 | romRecord;
  store.LendNamed(field, name, [&] {
    return FormatSizeText(sizeWord, romRecord ? " (No header)" : " No header");
  });
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
  m_fieldStore.FinishReading();
  return 0;
}

void CPatchDB::LoadBytes(std::string_view bytes) {
  CDatabaseReader reader(*this);
  reader.ReadLines(bytes, ByteOrderMarkLength(bytes), true);
  reader.Finish();
  m_fieldStore.FinishReading();
}

bool CPatchDB::ParsePatchLine(std::string_view text) {
  // PatchName, Author, Version, Description, Filename, RomName, RomSize, RomDigest.
  std::array<std::string_view, 8> f;
  SplitFields(text, f);
  m_fieldStore.Expect(f[5], Repeated::RomName);

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
  add(f[0].empty(), "\nERROR P01: Patch name not specified.");
  add(f[4].empty(), "\nERROR P02: Patch filename not specified.");
  add(f[5].empty(), "\nERROR P03: Target ROM name not specified.");
  add(f[6].empty(), "\nERROR P04: Target ROM size not specified.");
  const int32_t sizeWord = ParseRomSize(f[6]);
  if (!failed) {
    if (sizeWord != kNoSize) {
      PatchRecord* patch = m_fieldStore.Make<PatchRecord>();
      m_fieldStore.LendEach({{&patch->PatchName, f[0]},
                             {&patch->Description, f[3]},
                             {&patch->Filename, f[4]},
                             {&patch->RomDigest, f[7]}});
      m_fieldStore.LendRepeated(patch->Author, f[1], Repeated::Author);
      m_fieldStore.LendRepeated(patch->Version, f[2], Repeated::Version);
      m_fieldStore.LendRepeated(patch->RomName, f[5], Repeated::RomName);
      LendSizeText(m_fieldStore, patch->RomSize, sizeWord, false);
      patch->SizeWord = sizeWord;
      m_patches.push_back(patch);
      return true;
    }
    errors = "Patch entry contains errors:\n\nERROR P10: Target ROM size invalid.";
  }
  m_lineContext.text.assign(text);
  ReportLineError(errors);
  return false;
}

bool CPatchDB::ParseRomLine(std::string_view text) {
  // RomName, RomSize, Filename, RomDigest, ForcedName.
  std::array<std::string_view, 5> f;
  SplitFields(text, f);
  m_fieldStore.Expect(f[0], Repeated::RomName);

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
  add(f[0].empty(), "\nERROR G01: Game name not specified.");
  add(f[1].empty(), "\nERROR G02: ROM size not specified.");
  add(f[2].empty(), "\nERROR G03: ROM filename not specified.");
  add(f[3].empty(), "\nERROR G04: File digest not specified.");
  const int32_t sizeWord = ParseRomSize(f[1]);
  add(!failed && sizeWord == kNoSize, "\nERROR G10: Invalid ROM size.");
  if (failed) {
    m_lineContext.text.assign(text);
    ReportLineError(errors);
    return false;
  }
  RomRecord* rom = m_fieldStore.Make<RomRecord>();
  m_fieldStore.LendRepeated(rom->RomName, f[0], Repeated::RomName);
  LendSizeText(m_fieldStore, rom->RomSize, sizeWord, true);
  m_fieldStore.LendEach(
      {{&rom->Filename, f[2]}, {&rom->RomDigest, f[3]}, {&rom->ForcedName, f[4]}});
  rom->UseForcedName = !f[4].empty();
  rom->SizeWord = sizeWord;
  m_roms.push_back(rom);
  return true;
}
