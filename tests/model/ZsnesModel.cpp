// A model of the ZSNES emulator for tests: it reads its configuration the way ZSNES does, works
// out which patch files ZSNES would apply to the ROM it was started on and where it would save,
// and records them instead of running a game.
//
//   zsnes-model [ARGUMENT...] ROM
//
// The configuration is the file named by $ZSNES_MODEL_CONFIG; else zsnesw.cfg in the working
// directory (the Windows build, which Brindle starts in its installation folder); else, as the
// Linux build does, <home>/.zsnes/zsnesl.cfg with the home folder that the password database
// gives this user, whatever $HOME says ($ZSNES_MODEL_PASSWD names a file in the layout of
// /etc/passwd to use as that database), or zsnesl.cfg in the working directory for a user the
// database does not know. The record is appended to $ZSNES_MODEL_RECORD, else to zsnes-model.txt
// in the working directory:
//
//   config=PATH        the configuration read ("config=none" when there was none)
//   lineends=KIND      CRLF, LF, mixed or none: how the configuration's lines ended
//   rom=PATH           the ROM started on ("rom-missing=PATH" when it cannot be opened)
//   save=FOLDER        where the game's save file would be written
//   autopatch=off      AutoPatch set to 0: nothing is looked up
//   search=FOLDER      the folders searched, in order
//   apply=PATH         every patch file that would be applied, in order
//
// How ZSNES reads the file (its generated reader, in C): a line ends at a line feed; ";" outside
// quotes starts a comment (a double or single quote opens a section up to the next unescaped one
// of its kind); the name is the text before the first "=" and the value the text after it, each
// without leading white space and cut at the first blank, tab, CR or LF outside quotes; a line
// whose name or value is empty sets nothing; names match case-sensitively; a later line wins. A
// string value is read only when it starts and ends with a double quote: the quotes are dropped
// and a backslash takes the next character as it is; anything else reads as an empty string.
// ZSNES 1.42 and older name the save directory with SaveDirectory, 1.51 with SRAMPath (empty: the
// configuration's folder for the Linux build, the ROM's folder for the others), later versions
// search a non-empty IPSPath instead of it. The patch is the ROM's file name with its last
// extension replaced by "ips", then ".ip0" to ".ip9" until one is missing, each looked up in the
// first folder, then in the ROM's own folder; only when AutoPatch is not 0.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// find_next_match: the next `match` that no backslash escapes, or nullptr.
const char* FindNextMatch(const char* str, char match) {
  while (*str) {
    if (*str == match)
      return str;
    if (*str == '\\') {
      if (!str[1])
        break;
      ++str;
    }
    ++str;
  }
  return nullptr;
}

// find_str: the first character of `stops` outside quotes, or nullptr.
char* FindStr(char* str, const char* stops) {
  while (*str) {
    if (std::strchr(stops, *str))
      return str;
    if (*str == '"' || *str == '\'') {
      if (const char* match = FindNextMatch(str + 1, *str))
        str = const_cast<char*>(match);
    }
    ++str;
  }
  return nullptr;
}

// decode_string: a value in double quotes, unescaped; anything else is empty.
std::string DecodeString(const std::string& value) {
  if (value.size() < 2 || value.front() != '"' || value.back() != '"')
    return "";
  std::string out;
  const std::string inner = value.substr(1, value.size() - 2);
  for (size_t i = 0; i < inner.size(); ++i) {
    if (inner[i] == '\\' && ++i == inner.size())
      break;
    out += inner[i];
  }
  return out;
}

struct Config {
  std::map<std::string, std::string> values;  // undecoded, as the reader cut them
  std::string lineEnds = "none";
};

// ZSNES 1.42 and older read their save directory as the rest of the line after "=", without
// leading blanks and tabs.
bool ReadOldSaveDirectory(std::string text, Config& config) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
    text.pop_back();
  const size_t equals = text.find('=');
  const size_t name = text.find_first_not_of(" \t");
  if (equals == std::string::npos || name == std::string::npos ||
      text.compare(name, 13, "SaveDirectory") != 0 ||
      text.find_first_not_of(" \t", name + 13) != equals) {
    return false;
  }
  const size_t value = text.find_first_not_of(" \t", equals + 1);
  config.values["SaveDirectory"] = value == std::string::npos ? "" : text.substr(value);
  return true;
}

void ReadLine(const std::string& text, Config& config) {
  if (ReadOldSaveDirectory(text, config))
    return;
  std::vector<char> line(text.begin(), text.end());
  line.push_back('\0');
  char* start = line.data();
  if (char* comment = FindStr(start, ";"))
    *comment = '\0';
  char* equals = std::strchr(start, '=');
  if (equals == nullptr)
    return;
  *equals = '\0';
  char* name = start;
  char* value = equals + 1;
  while (std::isspace(static_cast<unsigned char>(*name)))
    ++name;
  while (std::isspace(static_cast<unsigned char>(*value)))
    ++value;
  if (char* end = FindStr(name, " \t\r\n"))
    *end = '\0';
  if (char* end = FindStr(value, " \t\r\n"))
    *end = '\0';
  if (*name && *value)
    config.values[name] = value;
}

bool ReadConfig(const std::string& path, Config& config) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string bytes = buffer.str();
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find('\n', start);
    const size_t next = end == std::string::npos ? bytes.size() : end + 1;
    const std::string line = bytes.substr(start, next - start);
    if (end != std::string::npos) {
      const bool crlf = end > start && bytes[end - 1] == '\r';
      const std::string kind = crlf ? "CRLF" : "LF";
      config.lineEnds = config.lineEnds == "none" || config.lineEnds == kind ? kind : "mixed";
    }
    ReadLine(line, config);
    start = next;
  }
  return true;
}

// The home folder of this user in the password database (or the stand-in file).
std::optional<std::string> PasswordHome() {
  const char* file = std::getenv("ZSNES_MODEL_PASSWD");
  if (file == nullptr) {
    const passwd* user = ::getpwuid(::getuid());
    return user ? std::optional<std::string>(user->pw_dir) : std::nullopt;
  }
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string field; std::getline(split, field, ':');)
      fields.push_back(field);
    if (fields.size() >= 6 && fields[2] == std::to_string(::getuid()))
      return fields[5];
  }
  return std::nullopt;
}

std::string WithSlash(const std::string& folder) {
  return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

bool IsReadableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), R_OK) == 0;
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

  // The Linux build keeps its files, and by default its saves, in its configuration folder.
  std::string configPath;
  bool linuxBuild = false;
  if (const char* configEnv = std::getenv("ZSNES_MODEL_CONFIG")) {
    configPath = configEnv;
  } else if (FileExists("zsnesw.cfg")) {
    configPath = "zsnesw.cfg";
  } else {
    linuxBuild = true;
    const std::optional<std::string> home = PasswordHome();
    configPath = home ? WithSlash(*home) + ".zsnes/zsnesl.cfg" : "zsnesl.cfg";
  }
  const size_t configSlash = configPath.rfind('/');
  const std::string configFolder =
      configSlash == std::string::npos ? "" : configPath.substr(0, configSlash + 1);
  Config config;
  if (!ReadConfig(configPath, config))
    configPath = "none";
  record << "config=" << configPath << "\nlineends=" << config.lineEnds << "\n";

  const std::string rom = argv[argc - 1];
  if (!IsReadableFile(rom)) {
    record << "rom-missing=" << rom << "\n";
    return 1;
  }
  record << "rom=" << rom << "\n";

  const auto text = [&](const std::string& key) -> std::string {
    const auto found = config.values.find(key);
    return found == config.values.end() ? "" : DecodeString(found->second);
  };
  const size_t slash = rom.rfind('/');
  const std::string romFolder = slash == std::string::npos ? "" : rom.substr(0, slash + 1);
  const std::string romName = slash == std::string::npos ? rom : rom.substr(slash + 1);

  std::string save = linuxBuild ? configFolder : romFolder;
  if (const auto old = config.values.find("SaveDirectory");
      old != config.values.end() && !old->second.empty()) {
    save = old->second;
  }
  if (!text("SRAMPath").empty())
    save = text("SRAMPath");
  record << "save=" << WithSlash(save) << "\n";

  if (const auto autoPatch = config.values.find("AutoPatch");
      autoPatch != config.values.end() &&
      static_cast<unsigned char>(std::strtoul(autoPatch->second.c_str(), nullptr, 10)) == 0) {
    record << "autopatch=off\n";
    return 0;
  }

  const size_t dot = romName.rfind('.');
  const std::string stem = dot == std::string::npos ? romName + "." : romName.substr(0, dot + 1);
  const std::string first = text("IPSPath").empty() ? save : text("IPSPath");
  const std::vector<std::string> folders{WithSlash(first), romFolder};
  for (const std::string& folder : folders)
    record << "search=" << folder << "\n";

  std::vector<std::string> extensions{"ips"};
  for (char digit = '0'; digit <= '9'; ++digit)
    extensions.push_back(std::string("ip") + digit);
  for (const std::string& extension : extensions) {
    std::string found;
    for (const std::string& folder : folders) {
      if (IsReadableFile(folder + stem + extension)) {
        found = folder + stem + extension;
        break;
      }
    }
    if (found.empty())
      break;
    record << "apply=" << found << "\n";
  }
  return 0;
}
