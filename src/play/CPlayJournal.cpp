#include "play/CPlayJournal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>

#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "play/CEmulatorConfig.h"

namespace {

constexpr const char* kHeading = "[brindle play journal]";
// A journal records a few paths and values; anything larger is not one.
constexpr int64_t kMaxJournalSize = 1024 * 1024;

std::string Escape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\t')
      out += "\\t";
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
    else if (text[i] == 't')
      out += '\t';
    else
      return false;
  }
  return true;
}

// The escaped fields of a line, separated by tabs.
bool SplitFields(const std::string& text, std::vector<std::string>& fields) {
  fields.clear();
  size_t start = 0;
  for (;;) {
    const size_t tab = text.find('\t', start);
    std::string field;
    if (!Unescape(text.substr(start, tab - start), field))
      return false;
    fields.push_back(std::move(field));
    if (tab == std::string::npos)
      return true;
    start = tab + 1;
  }
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

// A step's line: its kind, "=", and its fields separated by tabs. Appended piece by piece: g++ 12
// warns (wrongly, -Wrestrict) on a chain of "+" that starts with a literal.
std::string JoinStep(const char* kind, std::initializer_list<std::string> fields) {
  std::string line = kind;
  line += '=';
  for (const std::string& field : fields) {
    if (&field != fields.begin())
      line += '\t';
    line += field;
  }
  return line;
}

std::string StepLine(const JournalStep& step) {
  switch (step.kind) {
    case JournalStep::Kind::Value:
      return JoinStep("Value", {Escape(step.path), Escape(step.key), Escape(step.text)});
    case JournalStep::Kind::Rename:
      return JoinStep("Rename", {Escape(step.path), Escape(step.target)});
    case JournalStep::Kind::Link:
      return JoinStep("Link", {Escape(step.path), Escape(step.target)});
    case JournalStep::Kind::File:
      if (step.text.empty())
        return JoinStep("File", {Escape(step.path)});
      return JoinStep("File", {Escape(step.path), Escape(step.text)});
    case JournalStep::Kind::Folder:
      return JoinStep("Folder", {Escape(step.path), Escape(step.text)});
    case JournalStep::Kind::Emulator:
      return JoinStep("Emulator", {step.process ? StampText(*step.process) : std::string()});
  }
  return std::string();
}

// One line of the current form into `journal`; false when it is damaged.
bool ParseStepLine(const std::string& name, const std::string& value, CPlayJournal& journal) {
  if (name == "Player")
    return ParseStamp(value, journal.Player);
  if (name == "Ended") {
    journal.Ended = true;
    return value == "1";
  }
  if (name == "Undone") {
    unsigned long long index = 0;
    if (!ParseNumber(value, index) || index >= journal.Steps.size())
      return false;
    journal.Steps[index].undone = true;
    return true;
  }
  JournalStep step;
  if (name == "Emulator") {
    step.kind = JournalStep::Kind::Emulator;
    if (!ParseStamp(value, step.process))
      return false;
    journal.Steps.push_back(step);
    return true;
  }
  std::vector<std::string> fields;
  if (!SplitFields(value, fields))
    return false;
  if (name == "Value" && fields.size() == 3) {
    step.kind = JournalStep::Kind::Value;
    step.key = fields[1];
    step.text = fields[2];
  } else if ((name == "Rename" || name == "Link") && fields.size() == 2) {
    step.kind = name == "Rename" ? JournalStep::Kind::Rename : JournalStep::Kind::Link;
    step.target = fields[1];
  } else if (name == "File" && (fields.size() == 1 || fields.size() == 2)) {
    step.kind = JournalStep::Kind::File;
    if (fields.size() == 2)
      step.text = fields[1];
  } else if (name == "Folder" && fields.size() == 2) {
    step.kind = JournalStep::Kind::Folder;
    step.text = fields[1];
  } else {
    return false;
  }
  step.path = fields[0];
  journal.Steps.push_back(step);
  return true;
}

// Builds of Brindle before the journal was written ahead kept one line per thing to put back.
// Their journal reads as the steps they stood for.
bool ParseOlderForm(const std::vector<std::pair<std::string, std::string>>& lines,
                    CPlayJournal& journal) {
  std::optional<std::string> fields[6];  // RomFile, PlayName, ConfigFile, SaveDirectory, ...
  const char* const names[] = {"RomFile",       "PlayName", "ConfigFile",
                               "SaveDirectory", "SRAMPath", "IPSPath"};
  std::optional<std::string> link;
  std::optional<ProcessStamp> emulator;
  for (const auto& [name, value] : lines) {
    std::string text;
    if (!Unescape(value, text))
      return false;
    for (int i = 0; i < 6; ++i) {
      if (name == names[i])
        fields[i] = text;
    }
    if (name == "PatchLink")
      link = text;
    else if ((name == "Player" && !ParseStamp(value, journal.Player)) ||
             (name == "Emulator" && !ParseStamp(value, emulator)))
      return false;
  }
  for (int i = 0; i < 4; ++i) {
    if (!fields[i])
      return false;
  }
  const auto value = [&](const char* key, const std::string& raw) {
    journal.Steps.push_back(JournalStep::Value(*fields[2], key, raw));
  };
  value(CEmulatorConfig::kSaveDirectoryKey, *fields[3]);
  if (fields[4])
    value(CEmulatorConfig::kSRAMPathKey, CEmulatorConfig::EncodeQuoted(*fields[4]));
  if (fields[5])
    value(CEmulatorConfig::kIPSPathKey, CEmulatorConfig::EncodeQuoted(*fields[5]));
  if (link)
    journal.Steps.push_back(JournalStep::Link(*link, ""));
  if (*fields[0] != *fields[1])
    journal.Steps.push_back(JournalStep::Rename(*fields[0], *fields[1]));
  if (emulator)
    journal.Steps.push_back(JournalStep::Emulator(*emulator));
  return true;
}

bool Fail(std::string* error, const std::string& what) {
  if (error)
    *error = what + ": " + std::strerror(errno);
  return false;
}

}  // namespace

std::string CPlayJournal::PathFor(const std::string& databasePath) {
  return FolderOf(databasePath) + "brindle.play";
}

std::string CPlayJournal::Serialize() const {
  std::string out = std::string(kHeading) + "\n";
  if (Player)
    out += "Player=" + StampText(*Player) + "\n";
  for (size_t i = 0; i < Steps.size(); ++i) {
    out += StepLine(Steps[i]) + "\n";
    if (Steps[i].undone)
      out += "Undone=" + std::to_string(i) + "\n";
  }
  if (Ended)
    out += "Ended=1\n";
  return out;
}

bool CPlayJournal::Parse(const std::string& bytes) {
  Player.reset();
  Ended = false;
  Steps.clear();
  if (bytes.compare(0, std::string(kHeading).size() + 1, std::string(kHeading) + "\n") != 0)
    return false;
  std::vector<std::pair<std::string, std::string>> lines;
  size_t start = std::string(kHeading).size() + 1;
  bool older = false;
  for (;;) {
    const size_t end = bytes.find('\n', start);
    if (end == std::string::npos)
      break;  // not finished when the player died: that step was never taken
    const std::string line = bytes.substr(start, end - start);
    start = end + 1;
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
      return false;
    lines.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    older = older || lines.back().first == "RomFile";
  }
  if (older)
    return ParseOlderForm(lines, *this);
  for (const auto& [name, value] : lines) {
    if (!ParseStepLine(name, value, *this))
      return false;
  }
  return true;
}

bool CPlayJournal::Create(const std::string& path, std::string* error, bool* exists) {
  m_path = path;
  if (exists)
    *exists = false;
  if (path.empty())
    return true;
  // Written whole under a name of its own, then linked under the journal's name, which fails
  // when a journal is there: nobody ever sees half a journal, and only one play gets in.
  std::string temp;
  const int fd = CreateTempFileBeside(path, temp);
  if (fd < 0)
    return Fail(error, "cannot create a file in " + DirectoryOf(path));
  const std::string bytes = Serialize();
  bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) ||
            Fail(error, "cannot write " + temp);
  ok = ok && (::fsync(fd) == 0 || Fail(error, "cannot flush " + temp));
  if (ok && ::link(temp.c_str(), path.c_str()) != 0) {
    if (exists)
      *exists = errno == EEXIST;
    ok = Fail(error, "cannot create " + path);
  }
  ::unlink(temp.c_str());
  ::close(fd);
  if (ok)
    SyncFolder(DirectoryOf(path));
  return ok;
}

bool CPlayJournal::AppendLine(const std::string& line, std::string* error) {
  if (m_path.empty())
    return true;
  const int fd = ::open(m_path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0)
    return Fail(error, "cannot open " + m_path);
  const std::string bytes = line + "\n";
  bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) ||
            Fail(error, "cannot write " + m_path);
  ok = ok && (::fdatasync(fd) == 0 || Fail(error, "cannot flush " + m_path));
  ::close(fd);
  return ok;
}

bool CPlayJournal::Append(const JournalStep& step, std::string* error) {
  Steps.push_back(step);
  if (AppendLine(StepLine(step), error))
    return true;
  // Not recorded, so not to be taken either.
  Steps.pop_back();
  return false;
}

bool CPlayJournal::MarkUndone(size_t index) {
  Steps[index].undone = true;
  return AppendLine("Undone=" + std::to_string(index), nullptr);
}

bool CPlayJournal::MarkEnded() {
  Ended = true;
  return AppendLine("Ended=1", nullptr);
}

std::optional<ProcessStamp> CPlayJournal::Emulator() const {
  for (auto step = Steps.rbegin(); step != Steps.rend(); ++step) {
    if (step->kind == JournalStep::Kind::Emulator)
      return step->process;
  }
  return std::nullopt;
}

bool CPlayJournal::Read(const std::string& path) {
  std::string bytes;
  return ReadWholeFile(path, bytes, nullptr, CFile::Mode::Read, kMaxJournalSize) && Parse(bytes);
}

bool CPlayJournal::Remove(const std::string& path, std::string* error) {
  return RemoveFile(path, error);
}
