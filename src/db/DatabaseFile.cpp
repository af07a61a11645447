// Reading and writing brindle.dat.
#include <string_view>

#include "db/CPatchDB.h"
#include "db/SizeWord.h"
#include "parser/TextUtil.h"
#include "platform/FileSystem.h"
#include "prompt/Diagnostics.h"

namespace {

enum class Section { None, Vars, Roms, Patches };

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
    // A new string of the field's own size: assigning into an empty one would round its
    // capacity up, and a hundred thousand records would hold the difference.
    *field = std::string(TrimmedBlanks(text.substr(pos, bar - pos)));
    pos = bar + 1;
  }
}

// The format has no escape: a "|" or a line break inside a text field would shift every later
// field when the file is read again. Such characters are made harmless when writing.
void AppendField(std::string& out, const std::string& text) {
  const size_t start = out.size();
  out += text;
  // One branch-free pass over the copy: fields are short and nearly always clean.
  char* p = out.data() + start;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = p[i];
    p[i] = c == '|' ? '/' : (c == '\r' || c == '\n') ? ' ' : c;
  }
}

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

int CPatchDB::Load(const std::string& path) {
  m_databasePath = path;
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    // Only a missing file is a first run; a file we may not read must never be overwritten.
    return IsMissing(path) ? 1 : -1;
  }
  LoadBytes(bytes);
  return 0;
}

void CPatchDB::LoadBytes(std::string_view bytes) {
  m_lineContext.number = 0;
  Section section = Section::None;
  LineContext& moduleContext = ModuleLineContext();
  size_t pos = ByteOrderMarkLength(bytes);
  while (pos < bytes.size()) {
    const std::string_view raw = NextLine(bytes, pos);
    ++m_lineContext.number;
    moduleContext.number = m_lineContext.number;
    moduleContext.text.assign(raw);
    m_lineContext.text.assign(TrimmedBlanks(raw));
    std::string& line = m_lineContext.text;

    if (line.empty() || line[0] == ';')
      continue;
    if (line.front() == '[' && line.back() == ']') {
      std::string label;
      for (char c : line) {
        if (c != '[' && c != ']')
          label += AsciiToLower(c);
      }
      line = label;
      if (label == "vars") {
        section = Section::Vars;
        continue;
      }
      if (label == "roms") {
        section = Section::Roms;
        continue;
      }
      if (label == "patches") {
        section = Section::Patches;
        continue;
      }
    }
    switch (section) {
      case Section::Vars:
        m_variables.ExecuteStatement(line, false);
        break;
      case Section::Roms:
        ParseRomLine(line);
        break;
      case Section::Patches:
        ParsePatchLine(line);
        break;
      case Section::None:
        ReportLineWarning("Statement occurs outside of valid section label.");
        break;
    }
  }
}

bool CPatchDB::ParsePatchLine(const std::string& text) {
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
      patch->RomSize = FormatSizeText(patch->SizeWord, " No header");
      m_patches.push_back(std::move(patch));
      return true;
    }
    errors = "Patch entry contains errors:\n\nERROR P10: Target ROM size invalid.";
  }
  ReportLineError(errors);
  return false;
}

bool CPatchDB::ParseRomLine(const std::string& text) {
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
    ReportLineError(errors);
    return false;
  }
  rom->RomSize = FormatSizeText(rom->SizeWord, " (No header)");
  m_roms.push_back(std::move(rom));
  return true;
}

std::string CPatchDB::Serialize() const {
  std::string out;
  size_t estimate = 1024;
  for (const auto& p : m_patches) {
    estimate += 16 + p->PatchName.size() + p->Author.size() + p->Version.size() +
                p->Description.size() + p->Filename.size() + p->RomName.size() + p->RomSize.size() +
                p->RomDigest.size();
  }
  for (const auto& r : m_roms) {
    estimate += 16 + r->RomName.size() + r->RomSize.size() + r->Filename.size() +
                r->RomDigest.size() + r->ForcedName.size();
  }
  out.reserve(estimate);
  out += "[vars]\r\n";
  m_variables.WriteVariables(out);
  out += "\r\n\r\n";
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
  return out;
}

bool CPatchDB::Save(const std::string& path) {
  if (!WriteFileSafely(path, Serialize())) {
    ShowPlainMessage(m_prompt, "Error: Could not write configuration file.");
    return false;
  }
  return true;
}
