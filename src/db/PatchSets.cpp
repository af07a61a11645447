// Patch sets: the records, the [sets] lines of brindle.dat, and making a set.
#include <algorithm>
#include <set>

#include "db/CPatchDB.h"
#include "db/RecordText.h"
#include "db/SizeWord.h"
#include "parser/TextUtil.h"
#include "prompt/Diagnostics.h"

namespace {

constexpr const char* kSetErrors = "Patch set entry contains errors:\n";

// Saves are named after the set (`<name>.srm` beside its first patch): the name must stay a
// file name in that folder, and be written as it is ("|" is not).
bool IsFileName(const std::string& name) {
  return name.find_first_of("/|") == std::string::npos && name != "." && name != "..";
}

}  // namespace

bool CPatchDB::SameTargetRom(const PatchRecord& a, const PatchRecord& b) const {
  if (a.SizeWord != b.SizeWord)
    return false;
  if (!a.RomDigest.empty() && !b.RomDigest.empty() && !EqualsNoCase(a.RomDigest, b.RomDigest))
    return false;
  const auto shown = [this](const std::string& name) {
    return IgnoreParens ? StripParens(name) : name;
  };
  return EqualsNoCase(shown(a.RomName), shown(b.RomName));
}

PatchSetRecord* CPatchDB::GetSet(int index) const {
  if (index < 0 || index >= GetSetCount())
    return nullptr;
  return m_sets[static_cast<size_t>(index)].get();
}

int CPatchDB::FindSet(const std::string& name) const {
  for (size_t i = 0; i < m_sets.size(); ++i) {
    if (m_sets[i]->SetName == name)
      return static_cast<int>(i);
  }
  return -1;
}

void CPatchDB::AppendSet(std::unique_ptr<PatchSetRecord> set) {
  m_sets.push_back(std::move(set));
  ++m_changes;
}

void CPatchDB::RemoveSet(int index) {
  if (index < 0 || index >= GetSetCount())
    return;
  m_sets.erase(m_sets.begin() + index);
  ++m_changes;
}

std::vector<std::string> CPatchDB::SetsUsingPatch(const std::string& path) const {
  std::vector<std::string> names;
  for (const auto& set : m_sets) {
    if (std::find(set->Patches.begin(), set->Patches.end(), path) != set->Patches.end())
      names.push_back(set->SetName);
  }
  return names;
}

bool CPatchDB::AddPatchSet(const std::string& name, const std::vector<std::string>& paths) {
  auto refuse = [this](const std::string& message) {
    ::ReportError(m_prompt, message);
    return false;
  };
  if (TrimmedBlanks(name).empty())
    return refuse("A patch set needs a name.");
  if (TrimmedBlanks(name) != name || !IsFileName(name))
    return refuse("The patch set name \"" + name +
                  "\" cannot name its save files: it may not begin or end with a blank, hold "
                  "\"/\" or \"|\", or be \".\" or \"..\".");
  if (FindSet(name) >= 0)
    return refuse("There is already a patch set named \"" + name + "\".");
  if (paths.size() < PatchSetRecord::kLeastPatches || paths.size() > PatchSetRecord::kMostPatches)
    return refuse("A patch set holds 2 to 10 patches.");
  std::set<std::string> seen;
  const PatchRecord* first = nullptr;
  for (const std::string& path : paths) {
    const PatchRecord* patch = GetPatch(FindPatch(path));
    if (patch == nullptr)
      return refuse("\"" + path + "\" is not an installed patch.");
    if (!seen.insert(path).second)
      return refuse("\"" + path + "\" is named more than once.");
    if (first == nullptr)
      first = patch;
    else if (!SameTargetRom(*first, *patch))
      return refuse("The patches of a set must be for one ROM: \"" + patch->PatchName +
                    "\" is for " + patch->RomName + " (" + patch->RomSize + "), \"" +
                    first->PatchName + "\" for " + first->RomName + " (" + first->RomSize + ").");
  }
  auto set = std::make_unique<PatchSetRecord>();
  set->SetName = name;
  set->RomName = first->RomName;
  set->RomSize = first->RomSize;
  set->SizeWord = first->SizeWord;
  for (const std::string& path : paths) {
    const PatchRecord& patch = *GetPatch(FindPatch(path));
    if (set->RomDigest.empty())
      set->RomDigest = patch.RomDigest;
    set->Patches.push_back(path);
  }
  AppendSet(std::move(set));
  return true;
}

void CPatchDB::ParseSetLine(std::string_view text) {
  const size_t equals = text.find('=');
  const char* error = nullptr;
  if (equals == std::string_view::npos) {
    error = "\nERROR S07: Expression is not a valid field. Must be of form 'X=Y'.";
  } else {
    const std::string_view key = TrimmedBlanks(text.substr(0, equals));
    const std::string value(TrimmedBlanks(text.substr(equals + 1)));
    if (EqualsNoCase(key, "Set")) {
      FinishSetLines();
      m_readingSet = std::make_unique<PatchSetRecord>();
      m_readingSet->SetName = value;
      m_readingSetLine = {m_lineContext.number, std::string(text)};
      return;
    }
    PatchSetRecord* set = m_readingSet.get();
    if (set == nullptr) {
      error = "\nERROR S08: Field outside of a patch set. A set begins with its Set= line.";
    } else if (EqualsNoCase(key, "Patch")) {
      set->Patches.push_back(value);
    } else if (EqualsNoCase(key, "Author")) {
      set->Author = value;
    } else if (EqualsNoCase(key, "Version")) {
      set->Version = value;
    } else if (EqualsNoCase(key, "Description")) {
      set->Description = value;
    } else if (EqualsNoCase(key, "RomName")) {
      set->RomName = value;
    } else if (EqualsNoCase(key, "RomSize")) {
      set->RomSize = value;
    } else if (EqualsNoCase(key, "RomDigest")) {
      set->RomDigest = value;
    } else {
      set->OtherLines.emplace_back(text);  // a later version's field
    }
  }
  if (error != nullptr) {
    m_lineContext.text.assign(text);
    ReportLineError(std::string(kSetErrors) + error);
  }
}

void CPatchDB::FinishSetLines() {
  if (!m_readingSet)
    return;
  std::unique_ptr<PatchSetRecord> set = std::move(m_readingSet);
  std::string errors;
  auto add = [&errors](bool condition, const char* message) {
    if (condition)
      errors += message;
  };
  add(set->SetName.empty(), "\nERROR S01: Patch set name not specified.");
  add(!set->SetName.empty() && !IsFileName(set->SetName),
      "\nERROR S05: Patch set name cannot name its save files.");
  add(FindSet(set->SetName) >= 0, "\nERROR S06: Another patch set has this name.");
  add(set->Patches.size() < PatchSetRecord::kLeastPatches ||
          set->Patches.size() > PatchSetRecord::kMostPatches,
      "\nERROR S02: A patch set holds 2 to 10 patches.");
  add(set->RomName.empty(), "\nERROR S03: Target ROM name not specified.");
  add(set->RomSize.empty(), "\nERROR S04: Target ROM size not specified.");
  set->SizeWord = ParseRomSize(set->RomSize);
  add(errors.empty() && set->SizeWord == kNoSize, "\nERROR S10: Target ROM size invalid.");
  if (errors.empty()) {
    set->RomSize = FormatSizeText(set->SizeWord, " No header");
    m_sets.push_back(std::move(set));
    return;
  }
  const LineContext current = m_lineContext;
  m_lineContext = m_readingSetLine;
  ReportLineError(kSetErrors + errors);
  m_lineContext = current;
}

// One "Key=Value" line per field, so that no line holds a "|": a version that does not know
// this section takes each of its lines for a damaged ROM line and drops it, and none for a ROM.
void CPatchDB::WriteSets(std::string& out) const {
  out += "[sets]\r\n\r\n";
  out +=
      "; Format: Set=Name, then Author, Version, Description, RomName, RomSize, RomDigest and one"
      "\r\n; Patch=Filename line for each patch, in the order they are applied\r\n\r\n";
  auto field = [&out](const char* key, const std::string& value) {
    out += key;
    out += '=';
    AppendField(out, value);
    out += "\r\n";
  };
  for (const auto& set : m_sets) {
    field("Set", set->SetName);
    field("Author", set->Author);
    field("Version", set->Version);
    field("Description", set->Description);
    field("RomName", set->RomName);
    field("RomSize", set->RomSize);
    field("RomDigest", set->RomDigest);
    for (const std::string& patch : set->Patches)
      out += "Patch=" + patch + "\r\n";
    for (const std::string& line : set->OtherLines)
      out += line + "\r\n";
    out += "\r\n";
  }
  out += "\r\n";
}

void CPatchDB::WriteKeptSections(std::string& out, FileSection after) const {
  for (const KeptSection& kept : m_keptSections) {
    if (kept.after != after)
      continue;
    // Blank lines at its end are the file's spacing, which the sections around it bring.
    size_t count = kept.lines.size();
    while (count > 1 && TrimmedBlanks(kept.lines[count - 1]).empty())
      --count;
    for (size_t i = 0; i < count; ++i)
      out += kept.lines[i] + "\r\n";
    out += "\r\n\r\n";
  }
}

CPatchDB::KeptSection& CPatchDB::KeepSection(FileSection after, std::string_view label) {
  KeptSection& kept = m_keptSections.emplace_back();
  kept.after = after;
  kept.lines.emplace_back(label);
  return kept;
}
