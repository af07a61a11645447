#include "db/ZsnesSettings.h"

#include <algorithm>

#include "db/CPatchDB.h"

namespace {

constexpr const char* kVariantNames[kZsnesVariantCount] = {"zsnesw", "zsnes", "zsnesl"};

// Replaces until none is left: a replacement can make a new pair with what stood before it.
void ReplaceWhileFound(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from))
    text.replace(at, from.size(), to);
}

// The program setting is split into words at blanks, double quotes grouping them; a quote in a
// folder's name is written \" so that it stays part of the word.
std::string QuoteInWord(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '"')
      out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

std::string NormalizeDirectory(const std::string& text) {
  std::string dir = text;
  std::replace(dir.begin(), dir.end(), '\\', '/');
  ReplaceWhileFound(dir, "/ ", "/");
  ReplaceWhileFound(dir, " /", "/");
  ReplaceWhileFound(dir, "//", "/");
  while (!dir.empty() && (dir.back() == ' ' || dir.back() == '\t' || dir.back() == '/'))
    dir.pop_back();
  return dir + "/";
}

int ZsnesVariantIndex(const std::string& zsnesVer) {
  for (int i = 1; i < kZsnesVariantCount; ++i) {
    if (zsnesVer == kVariantNames[i])
      return i;
  }
  return 0;
}

const char* ZsnesVariantName(int index) {
  return index >= 0 && index < kZsnesVariantCount ? kVariantNames[index] : nullptr;
}

std::optional<ZsnesFiles> DeriveZsnesFiles(const std::string& directoryText, int variant,
                                           const std::optional<std::string>& home) {
  const std::string dir = NormalizeDirectory(directoryText);
  switch (variant) {
    case static_cast<int>(ZsnesVariant::Windows):
      return ZsnesFiles{"wine \"" + QuoteInWord(dir) + "zsnesw.exe\"", dir + "zsnesw.cfg"};
    case static_cast<int>(ZsnesVariant::Dos):
      return ZsnesFiles{dir + "zsnes.exe", dir + "zsnes.cfg"};
    case static_cast<int>(ZsnesVariant::Linux):
      return ZsnesFiles{dir + "zsnes", home ? *home + "/.zsnes/zsnesl.cfg" : dir + "zsnesl.cfg"};
    default:
      return std::nullopt;
  }
}

ZsnesForm ReadZsnesForm(const CPatchDB& db) {
  ZsnesForm form;
  form.directory = db.ZSNES;
  form.variant = ZsnesVariantIndex(db.ZSNESVer);
  form.executable = db.ZExecutable;
  form.config = db.ZConfig;
  form.saveWithPatches = !db.UseSaveDir;
  return form;
}

void SuggestZsnesOnPath(ZsnesForm& form, const std::string& program,
                        const std::optional<std::string>& home) {
  const size_t slash = program.rfind('/');
  if (!form.directory.empty() || slash == std::string::npos)
    return;
  const int native = static_cast<int>(ZsnesVariant::Linux);
  const auto files = DeriveZsnesFiles(program.substr(0, slash + 1), native, home);
  form.directory = NormalizeDirectory(program.substr(0, slash + 1));
  form.variant = native;
  form.executable = files->executable;
  form.config = files->config;
}

void ApplyZsnesForm(const ZsnesForm& form, CPatchDB& db) {
  // An empty box would otherwise be stored as "/", which counts as configured.
  const bool blank = form.directory.find_first_not_of(" \t") == std::string::npos;
  db.ZSNES = blank ? std::string() : NormalizeDirectory(form.directory);
  db.ZExecutable = form.executable;
  db.ZConfig = form.config;
  if (const char* name = ZsnesVariantName(form.variant))
    db.ZSNESVer = name;
  db.UseSaveDir = !form.saveWithPatches;
}
