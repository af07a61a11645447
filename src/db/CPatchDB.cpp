#include "db/CPatchDB.h"

#include "db/SizeWord.h"
#include "parser/TextUtil.h"
#include "prompt/Diagnostics.h"

CPatchDB::CPatchDB(UserPrompt& prompt) : m_prompt(prompt), m_variables(&prompt) {
  RegisterSettings();
  // A brindle.dat that lacks some keys would otherwise leave them undefined; the defaults are
  // the sensible values for them.
  SetDefaults();
}

CPatchDB::~CPatchDB() = default;

void CPatchDB::RegisterSettings() {
  m_variables.AddVariable("ZSNES", VariableType::String, &ZSNES);
  m_variables.AddVariable("ZSNESVer", VariableType::String, &ZSNESVer);
  m_variables.AddVariable("ZConfig", VariableType::String, &ZConfig);
  m_variables.AddVariable("ZExecutable", VariableType::String, &ZExecutable);
  m_variables.AddVariable("UseSaveDir", VariableType::Boolean, &UseSaveDir);
  m_variables.AddVariable("IgnoreHash", VariableType::Boolean, &IgnoreHash);
  m_variables.AddVariable("IgnoreParens", VariableType::Boolean, &IgnoreParens);
  m_variables.AddVariable("AllowEdit", VariableType::Boolean, &AllowEdit);
  m_variables.AddVariable("RegisterAtStartup", VariableType::Boolean, &RegisterAtStartup);
  m_variables.AddVariable("AlwaysOpenGUI", VariableType::Boolean, &AlwaysOpenGUI);
  m_variables.AddVariable("WindowBackground", VariableType::String, &WindowBackground);
  m_variables.AddVariable("GridLines", VariableType::Boolean, &GridLines);
  m_variables.AddVariable("FileIcon", VariableType::Integer, &FileIcon);
  m_variables.AddVariable("Transition", VariableType::Integer, &Transition);
  m_variables.AddVariable("TransSpeed", VariableType::Integer, &TransSpeed);
  m_variables.AddVariable("Emulator", VariableType::String, &Emulator, false);
  m_variables.AddVariable("RetroArch", VariableType::String, &RetroArch, false);
  m_variables.AddVariable("RetroArchCore", VariableType::String, &RetroArchCore, false);
  m_variables.AddVariable("Mednafen", VariableType::String, &Mednafen, false);
  m_variables.AddVariable("OtherCommand", VariableType::String, &OtherCommand, false);
  m_variables.AddVariable("OtherFormats", VariableType::String, &OtherFormats, false);
}

void CPatchDB::SetDefaults() {
  UseSaveDir = false;
  IgnoreHash = false;
  IgnoreParens = true;
  AllowEdit = false;
  RegisterAtStartup = true;
  AlwaysOpenGUI = false;
  WindowBackground = "%app%/EarthBound.bmp";
  GridLines = false;
  FileIcon = 1;
  Transition = 1;
  TransSpeed = 60;
}

PatchRecord* CPatchDB::GetPatch(int index) const {
  if (index < 0 || index >= GetPatchCount())
    return nullptr;
  return m_patches[static_cast<size_t>(index)].get();
}

RomRecord* CPatchDB::GetRom(int index) const {
  if (index < 0 || index >= GetRomCount())
    return nullptr;
  return m_roms[static_cast<size_t>(index)].get();
}

int CPatchDB::FindPatch(const std::string& path) const {
  for (size_t i = 0; i < m_patches.size(); ++i) {
    // Linux file names are case-sensitive: /p/Game.ips and /p/game.ips are two patches.
    if (m_patches[i]->Filename == path)
      return static_cast<int>(i);
  }
  return -1;
}

RomRecord* CPatchDB::FindRom(const std::string& romName, int32_t sizeWord) const {
  const std::string key = IgnoreParens ? StripParens(romName) : romName;
  for (const auto& rom : m_roms) {
    if (EqualsNoCase(key, ShownRomName(*rom)) && sizeWord == rom->SizeWord)
      return rom.get();
  }
  return nullptr;
}

std::string CPatchDB::ShownRomName(const RomRecord& rom) const {
  if (rom.UseForcedName)
    return rom.ForcedName;
  return IgnoreParens ? StripParens(rom.RomName) : rom.RomName;
}

void CPatchDB::RemovePatch(int index) {
  if (index < 0 || index >= GetPatchCount())
    return;
  m_patches.erase(m_patches.begin() + index);
  ++m_changes;
}

void CPatchDB::RemoveRom(int index) {
  if (index < 0 || index >= GetRomCount())
    return;
  m_roms.erase(m_roms.begin() + index);
  ++m_changes;
}

void CPatchDB::AppendPatch(std::unique_ptr<PatchRecord> patch) {
  m_patches.push_back(std::move(patch));
  ++m_changes;
}

void CPatchDB::AppendRom(std::unique_ptr<RomRecord> rom) {
  m_roms.push_back(std::move(rom));
  ++m_changes;
}

int32_t CPatchDB::ParseRomSize(std::string_view text) {
  if (text.empty())
    return kNoSize;
  const int32_t header = ContainsNoCase(text, "no header") ? 0 : kHeaderFlag;
  // Only the first one or two characters are read: "128Mbit" reads as 12.
  const int32_t megabits = LeadingInteger(text.substr(0, 2));
  // "-5Mbit" is no size: kept as a size word it would be written back as "251Mbit" and read
  // again as 25.
  if (megabits < 0)
    return kNoSize;
  return megabits | header;
}

void CPatchDB::ReportError(const std::string& message) const {
  ::ReportError(m_prompt, message);
}

void CPatchDB::ReportLineError(const std::string& message) const {
  ::ReportLineError(m_prompt, m_lineContext, message);
}

void CPatchDB::ReportLineWarning(const std::string& message) const {
  ::ReportLineWarning(m_prompt, m_lineContext, message);
}
