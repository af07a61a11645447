#include "play/CPlayJournal.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "platform/FileSystem.h"
#include "platform/Path.h"

namespace {

constexpr const char* kHeading = "[brindle play journal]";

std::string Escape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  return out;
}

bool Unescape(const std::string& text, std::string& out) {
  out.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size())
      return false;
    if (text[i] == '\\')
      out += '\\';
    else if (text[i] == 'n')
      out += '\n';
    else if (text[i] == 'r')
      out += '\r';
    else
      return false;
  }
  return true;
}

std::string StampText(const ProcessStamp& stamp) {
  return std::to_string(stamp.pid) + " " + std::to_string(stamp.startTime);
}

bool ParseNumber(const std::string& text, unsigned long long& number) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  errno = 0;
  number = std::strtoull(text.c_str(), nullptr, 10);
  return errno != ERANGE;
}

// "<pid> <start time>", as StampText writes it.
bool ParseStamp(const std::string& text, std::optional<ProcessStamp>& stamp) {
  const size_t blank = text.find(' ');
  unsigned long long pid = 0;
  unsigned long long startTime = 0;
  if (blank == std::string::npos || !ParseNumber(text.substr(0, blank), pid) ||
      !ParseNumber(text.substr(blank + 1), startTime) || pid == 0 ||
      pid > static_cast<unsigned long long>(std::numeric_limits<pid_t>::max())) {
    return false;
  }
  stamp = ProcessStamp{static_cast<pid_t>(pid), startTime};
  return true;
}

}  // namespace

std::string CPlayJournal::PathFor(const std::string& databasePath) {
  return FolderOf(databasePath) + "brindle.play";
}

std::string CPlayJournal::Serialize() const {
  std::string out = std::string(kHeading) + "\nRomFile=" + Escape(RomFile) +
                    "\nPlayName=" + Escape(PlayName) + "\nConfigFile=" + Escape(ConfigFile) +
                    "\nSaveDirectory=" + Escape(SaveDirectory) + "\n";
  if (SRAMPath)
    out += "SRAMPath=" + Escape(*SRAMPath) + "\n";
  if (IPSPath)
    out += "IPSPath=" + Escape(*IPSPath) + "\n";
  if (PatchLink)
    out += "PatchLink=" + Escape(*PatchLink) + "\n";
  if (RunFolder)
    out += "RunFolder=" + Escape(*RunFolder) + "\n";
  for (const std::string& entry : RunEntries)
    out += "RunEntry=" + Escape(entry) + "\n";
  for (const MadeFile& made : MadeFiles)
    out += "MadeFile=" + made.digest + " " + Escape(made.path) + "\n";
  if (Player)
    out += "Player=" + StampText(*Player) + "\n";
  if (Emulator)
    out += "Emulator=" + StampText(*Emulator) + "\n";
  return out;
}

bool CPlayJournal::Parse(const std::string& bytes) {
  constexpr int kRequired = 4;
  constexpr int kFields = 10;
  const char* const names[kFields] = {"RomFile",   "PlayName", "ConfigFile", "SaveDirectory",
                                      "SRAMPath",  "IPSPath",  "Player",     "Emulator",
                                      "PatchLink", "RunFolder"};
  std::vector<std::string> runEntries;
  std::vector<MadeFile> madeFiles;
  std::string values[kFields];
  bool seen[kFields] = {};
  size_t start = 0;
  bool first = true;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos)
      end = bytes.size();
    const std::string line = bytes.substr(start, end - start);
    start = end + 1;
    if (first) {
      if (line != kHeading)
        return false;
      first = false;
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
      continue;
    const std::string name = line.substr(0, equals);
    std::string value;
    if (name == "RunEntry" || name == "MadeFile") {
      if (!Unescape(line.substr(equals + 1), value))
        return false;
      if (name == "RunEntry") {
        runEntries.push_back(value);
        continue;
      }
      // "<digest> <path>"
      const size_t blank = value.find(' ');
      if (blank == std::string::npos)
        return false;
      madeFiles.push_back({value.substr(0, blank), value.substr(blank + 1)});
      continue;
    }
    for (int i = 0; i < kFields; ++i) {
      if (name != names[i])
        continue;
      if (!Unescape(line.substr(equals + 1), values[i]))
        return false;
      seen[i] = true;
    }
  }
  for (int i = 0; i < kRequired; ++i) {
    if (!seen[i])
      return false;
  }
  std::optional<ProcessStamp> player;
  std::optional<ProcessStamp> emulator;
  if ((seen[6] && !ParseStamp(values[6], player)) || (seen[7] && !ParseStamp(values[7], emulator)))
    return false;
  RomFile = values[0];
  PlayName = values[1];
  ConfigFile = values[2];
  SaveDirectory = values[3];
  SRAMPath = seen[4] ? std::optional<std::string>(values[4]) : std::nullopt;
  IPSPath = seen[5] ? std::optional<std::string>(values[5]) : std::nullopt;
  PatchLink = seen[8] ? std::optional<std::string>(values[8]) : std::nullopt;
  RunFolder = seen[9] ? std::optional<std::string>(values[9]) : std::nullopt;
  RunEntries = std::move(runEntries);
  MadeFiles = std::move(madeFiles);
  Player = player;
  Emulator = emulator;
  return true;
}

bool CPlayJournal::Write(const std::string& path, std::string* error) const {
  return WriteFileSafely(path, Serialize(), error);
}

bool CPlayJournal::Read(const std::string& path) {
  std::string bytes;
  return ReadWholeFile(path, bytes) && Parse(bytes);
}

bool CPlayJournal::Remove(const std::string& path, std::string* error) {
  return RemoveFile(path, error);
}
