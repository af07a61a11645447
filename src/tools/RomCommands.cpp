// brindle-tool md5 and identify: what Brindle computes from a ROM file.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "db/ArchivedRoms.h"
#include "db/CPatchDB.h"
#include "prompt/CTerminalPrompt.h"
#include "tools/Commands.h"

namespace {

// md5sum's layout for names it cannot print plainly: the line starts with a backslash and the
// backslash, line feed and carriage return in the name are escaped.
std::string Md5sumLine(const std::string& digest, const std::string& path) {
  if (path.find_first_of("\\\n\r") == std::string::npos)
    return digest + "  " + path + "\n";
  std::string line = "\\" + digest + "  ";
  for (char c : path) {
    if (c == '\\')
      line += "\\\\";
    else if (c == '\n')
      line += "\\n";
    else if (c == '\r')
      line += "\\r";
    else
      line += c;
  }
  return line + "\n";
}

// Messages go out in order with the lines printed before them, also when both streams are one
// file or pipe.
void Complain(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "brindle-tool: %s\n", message.c_str());
}

bool OpenOrComplain(CFile& file, const std::string& path) {
  std::string error;
  if (file.Open(path, CFile::Mode::Read, &error))
    return true;
  Complain("cannot open " + path + ": " + error);
  return false;
}

void CannotRead(const std::string& path) {
  Complain("cannot read " + path);
}

int Flushed(int status) {
  if (std::fflush(stdout) != 0) {
    std::fprintf(stderr, "brindle-tool: cannot write standard output: %s\n", std::strerror(errno));
    return 1;
  }
  return status;
}

void PrintIdentity(const RomRecord& rom) {
  std::string line = std::to_string(rom.SizeWord);
  for (const FieldText* field : {&rom.RomSize, &rom.RomName, &rom.RomDigest}) {
    line += '\t';
    line += field->view();
  }
  line += '\n';
  std::fputs(line.c_str(), stdout);
}

// A member named by its path, or each ROM in an archive file, in the archive's order.
int IdentifyArchived(const std::string& path) {
  const auto member = SplitArchivePath(path);
  if (CFile archive; !OpenOrComplain(archive, member ? member->archive : path))
    return 1;
  std::vector<CPatchDB::RomRead> roms;
  if (member) {
    roms.resize(1);
    roms.front().error = ReadArchivedRom(*member, path, roms.front().rom);
  } else {
    roms = IdentifyArchiveRoms(path);
  }
  int status = 0;
  for (const CPatchDB::RomRead& read : roms) {
    if (read.error.empty()) {
      PrintIdentity(read.rom);
      continue;
    }
    // The box's words on one line, as the other complaints are.
    std::string text;
    for (size_t at = 0; at < read.error.size();) {
      const size_t end = std::min(read.error.find('\n', at), read.error.size());
      if (end > at) {
        if (!text.empty())
          text += text.back() == ':' ? " " : ": ";
        text += read.error.substr(at, end - at);
      }
      at = end + 1;
    }
    Complain(text);
    status = 1;
  }
  return status;
}

}  // namespace

int RunMd5(const Args& args) {
  if (args.empty())
    return UsageError("md5 takes at least one FILE");
  CTerminalPrompt prompt(stderr, nullptr);
  CPatchDB db(prompt);
  int status = 0;
  for (const std::string& path : args) {
    CFile file;
    const bool member = SplitArchivePath(path).has_value();
    if (!member && !OpenOrComplain(file, path)) {
      status = 1;
      continue;
    }
    const std::string digest = member ? db.GetFileHash(path) : db.GetFileHash(file);
    if (digest == CPatchDB::kInvalidFileHashText) {
      CannotRead(path);
      status = 1;
      continue;
    }
    std::fputs(Md5sumLine(digest, path).c_str(), stdout);
  }
  return Flushed(status);
}

int RunIdentify(const Args& args) {
  if (args.empty())
    return UsageError("identify takes at least one ROM");
  CTerminalPrompt prompt(stderr, nullptr);
  CPatchDB db(prompt);
  int status = 0;
  for (const std::string& path : args) {
    if (IsArchiveFileName(path) || SplitArchivePath(path)) {
      status |= IdentifyArchived(path);
      continue;
    }
    CFile file;
    if (!OpenOrComplain(file, path)) {
      status = 1;
      continue;
    }
    RomRecord rom;
    if (!db.IdentifyRom(file, path, rom)) {
      Complain(path + ": The ROM file is too large to be a SNES ROM image.");
      status = 1;
      continue;
    }
    // Installing refuses a file whose digest could not be computed; so does this.
    if (rom.RomDigest == CPatchDB::kInvalidFileHashText) {
      CannotRead(path);
      status = 1;
      continue;
    }
    PrintIdentity(rom);
  }
  return Flushed(status);
}
