// Patch-information files: the X=Y text beside an .ips file that describes the patch.
#include "db/CPatchDB.h"
#include "parser/TextUtil.h"
#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "platform/Path.h"

std::string CPatchDB::PatchInfoPath(const std::string& ipsPath) {
  const size_t dot = ipsPath.rfind('.');
  // Without any dot the whole path is kept: cutting at "no dot" would leave just ".dat", a file
  // in whatever folder the program happens to run in.
  return (dot == std::string::npos ? ipsPath : ipsPath.substr(0, dot)) + ".dat";
}

std::string CPatchDB::FindPatchInfoFile(const std::string& ipsPath) {
  const std::string path = PatchInfoPath(ipsPath);
  if (PathExists(path))
    return path;
  // Patches made on DOS and Windows come as GAME.IPS with GAME.DAT, and on Linux a name only
  // finds a file of exactly that case. A single file that differs in case alone is the one;
  // among several there is no telling which.
  const std::string folder = FolderOf(path);
  const std::string name = path.substr(folder.size());
  std::string found;
  for (const std::string& entry : ListFolder(folder)) {
    if (!EqualsNoCase(entry, name))
      continue;
    if (!found.empty())
      return path;
    found = folder + entry;
  }
  return found.empty() ? path : found;
}

bool CPatchDB::ReadPatchInfo(const std::string& text, PatchRecord& patch) {
  std::string ignoredFile;  // the record's file is always the .ips being installed
  // The keys fill plain strings, which go to the record's fields at the end.
  struct Key {
    const char* name;
    FieldText& field;
    std::string value;
  };
  Key fields[] = {{"name", patch.PatchName, patch.PatchName},
                  {"author", patch.Author, patch.Author},
                  {"version", patch.Version, patch.Version},
                  {"description", patch.Description, patch.Description},
                  {"romname", patch.RomName, patch.RomName},
                  {"romsize", patch.RomSize, patch.RomSize},
                  {"romhash", patch.RomDigest, patch.RomDigest}};
  CVariableTable keys;
  keys.AddVariable("file", VariableType::String, &ignoredFile);
  for (Key& key : fields)
    keys.AddVariable(key.name, VariableType::String, &key.value);

  bool clean = true;
  m_lineContext.number = 0;
  for (size_t pos = ByteOrderMarkLength(text); pos < text.size();) {
    ++m_lineContext.number;
    m_lineContext.text = TrimBlanks(NextLine(text, pos));
    // Blank lines, comments and section labels are not assignments: each one is a problem.
    if (!keys.ExecuteStatement(m_lineContext.text, true))
      clean = false;
  }
  for (Key& key : fields)
    key.field = key.value;
  patch.SizeWord = ParseRomSize(patch.RomSize);
  return clean;
}
