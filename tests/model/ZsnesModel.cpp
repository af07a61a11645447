// A model of the ZSNES emulator for tests: it reads its configuration the way ZSNES does, works
// out which patch files ZSNES would apply to the ROM it was started on, and records them instead
// of running a game.
//
//   zsnes-model [ARGUMENT...] ROM
//
// The configuration is the file named by $ZSNES_MODEL_CONFIG, else zsnesw.cfg, else zsnesl.cfg
// in the working directory (Brindle starts the emulator in its installation folder). The record
// is appended to $ZSNES_MODEL_RECORD, else to zsnes-model.txt in the working directory:
//
//   config=PATH        the configuration read ("config=none" when there was none)
//   lineends=KIND      CRLF, LF, mixed or none: how the configuration's lines ended
//   rom=PATH           the ROM started on ("rom-missing=PATH" when it cannot be opened)
//   autopatch=off      AutoPatch=0: nothing is looked up
//   search=FOLDER      the folders searched, in order
//   apply=PATH         every patch file that would be applied, in order
//
// How ZSNES reads the file: keys match case-sensitively; blanks around "=" are allowed; ";"
// starts a comment outside double quotes; a quoted value escapes backslash, both quotes, tab
// and line feed with a backslash. A later line overrides an earlier one. ZSNES 1.42 and older
// name the save directory with SaveDirectory, 1.51 with SRAMPath (empty: the ROM's folder),
// later versions search a non-empty IPSPath instead of it. The patch is the ROM's file name
// with its last extension replaced by "ips", then ".ip0" to ".ip9" until one is missing, each
// looked up in the first folder, then in the ROM's own folder; only when AutoPatch is not 0.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Trim(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos)
    return "";
  return text.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
}

// The line without its comment: a ";" outside quotes (a backslash inside quotes escapes the
// character after it).
std::string WithoutComment(const std::string& line) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (quoted && line[i] == '\\')
      ++i;
    else if (line[i] == '"')
      quoted = !quoted;
    else if (!quoted && line[i] == ';')
      return line.substr(0, i);
  }
  return line;
}

std::string Unquote(const std::string& value) {
  if (value.empty() || value[0] != '"')
    return value;
  std::string out;
  for (size_t i = 1; i < value.size() && value[i] != '"'; ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    const char c = value[++i];
    if (c == 'n')
      out += '\n';
    else if (c == 't')
      out += '\t';
    else if (c == '\\' || c == '"' || c == '\'')
      out += c;
    else
      out += std::string("\\") + c;
  }
  return out;
}

struct Config {
  std::map<std::string, std::string> values;
  std::string lineEnds = "none";
};

bool ReadConfig(const std::string& path, Config& config) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string bytes = buffer.str();
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    std::string line = bytes.substr(start, end == std::string::npos ? end : end - start);
    if (end != std::string::npos) {
      const bool crlf = !line.empty() && line.back() == '\r';
      const std::string kind = crlf ? "CRLF" : "LF";
      config.lineEnds = config.lineEnds == "none" || config.lineEnds == kind ? kind : "mixed";
    }
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    start = end == std::string::npos ? bytes.size() : end + 1;
    line = WithoutComment(line);
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
      continue;
    config.values[Trim(line.substr(0, equals))] = Unquote(Trim(line.substr(equals + 1)));
  }
  return true;
}

bool IsReadableFile(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr)
    return false;
  std::fclose(file);
  return true;
}

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/')
    return folder + name;
  return folder + "/" + name;
}

// A number the emulator reads as 0: digits that are all zero, with an optional sign.
bool IsZero(const std::string& text) {
  const size_t digits = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  return text.size() > digits && text.find_first_not_of('0', digits) == std::string::npos;
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const char* recordEnv = std::getenv("ZSNES_MODEL_RECORD");
  std::ofstream record(recordEnv ? recordEnv : "zsnes-model.txt", std::ios::app);
  if (argc < 2) {
    record << "no-rom\n";
    return 1;
  }

  std::string configPath;
  if (const char* configEnv = std::getenv("ZSNES_MODEL_CONFIG"))
    configPath = configEnv;
  else if (FileExists("zsnesw.cfg"))
    configPath = "zsnesw.cfg";
  else if (FileExists("zsnesl.cfg"))
    configPath = "zsnesl.cfg";
  Config config;
  if (configPath.empty() || !ReadConfig(configPath, config))
    configPath = "none";
  record << "config=" << configPath << "\nlineends=" << config.lineEnds << "\n";

  const std::string rom = argv[argc - 1];
  if (!IsReadableFile(rom)) {
    record << "rom-missing=" << rom << "\n";
    return 1;
  }
  record << "rom=" << rom << "\n";

  const auto value = [&](const std::string& key) -> const std::string* {
    const auto found = config.values.find(key);
    return found == config.values.end() ? nullptr : &found->second;
  };
  if (const std::string* autoPatch = value("AutoPatch"); autoPatch && IsZero(*autoPatch)) {
    record << "autopatch=off\n";
    return 0;
  }

  const size_t slash = rom.rfind('/');
  const std::string romFolder = slash == std::string::npos ? "" : rom.substr(0, slash + 1);
  const std::string romName = slash == std::string::npos ? rom : rom.substr(slash + 1);
  const size_t dot = romName.rfind('.');
  const std::string stem = dot == std::string::npos ? romName + "." : romName.substr(0, dot + 1);

  std::string first = romFolder;
  if (const std::string* ips = value("IPSPath"); ips && !ips->empty())
    first = *ips;
  else if (const std::string* sram = value("SRAMPath"); sram && !sram->empty())
    first = *sram;
  else if (const std::string* save = value("SaveDirectory"); save && !save->empty())
    first = *save;
  const std::vector<std::string> folders{first, romFolder};
  for (const std::string& folder : folders)
    record << "search=" << folder << "\n";

  std::vector<std::string> extensions{"ips"};
  for (char digit = '0'; digit <= '9'; ++digit)
    extensions.push_back(std::string("ip") + digit);
  for (const std::string& extension : extensions) {
    std::string found;
    for (const std::string& folder : folders) {
      if (IsReadableFile(InFolder(folder, stem + extension))) {
        found = InFolder(folder, stem + extension);
        break;
      }
    }
    if (found.empty())
      break;
    record << "apply=" << found << "\n";
  }
  return 0;
}
