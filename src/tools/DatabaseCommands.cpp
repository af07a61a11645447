// brindle-tool check, dump and add-rom: brindle.dat as the program reads and writes it.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "db/CPatchDB.h"
#include "platform/CInstanceLock.h"
#include "platform/Path.h"
#include "prompt/CTerminalPrompt.h"
#include "tools/Commands.h"

namespace {

int CannotOpen(const std::string& path, int result) {
  std::fprintf(stderr, "brindle-tool: cannot open %s: %s\n", path.c_str(),
               result == 1 ? "no such file" : "the file exists but cannot be read");
  return 2;
}

}  // namespace

int RunCheck(const Args& args) {
  if (args.size() != 1)
    return UsageError("check takes exactly one FILE");
  CTerminalPrompt prompt(stdout, nullptr);
  CPatchDB db(prompt);
  const int result = db.Load(args[0]);
  if (result != 0)
    return CannotOpen(args[0], result);
  return prompt.BoxCount() == 0 ? 0 : 1;
}

int RunDump(const Args& args) {
  if (args.size() != 1)
    return UsageError("dump takes exactly one FILE");
  CTerminalPrompt prompt(stderr, nullptr);
  CPatchDB db(prompt);
  const int result = db.Load(args[0]);
  if (result != 0)
    return CannotOpen(args[0], result);
  const std::string bytes = db.Serialize();
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout)) {
    std::fprintf(stderr, "brindle-tool: cannot write standard output: %s\n", std::strerror(errno));
    return 1;
  }
  return 0;
}

int RunAddRom(const Args& args) {
  std::string database;
  std::vector<std::string> roms;
  if (!ParseDbArgs(args, 1, SIZE_MAX, database, roms, "add-rom"))
    return 2;
  // A window keeps the database in memory and writes it all when it closes, which would undo
  // what we add. Holding the lock also keeps a window from starting until we are done.
  CInstanceLock lock("BrindleApp");
  if (lock.Acquire() == CInstanceLock::Result::HeldByAnother) {
    std::fprintf(stderr,
                 "brindle-tool: Brindle is running. Close its window first (or add the ROMs "
                 "there): it writes the database when it closes, and %s would lose the ROMs "
                 "added here.\n",
                 database.c_str());
    return 1;
  }
  CTerminalPrompt prompt(stdout, nullptr);
  CPatchDB db(prompt);
  if (!LoadDatabase(db, database))
    return 2;
  // The lines just shown would be gone from the file once it is written.
  if (prompt.BoxCount() > 0) {
    std::fflush(stdout);
    std::fprintf(stderr,
                 "brindle-tool: %s has lines Brindle cannot read (shown above); nothing was "
                 "added, so that they stay in the file. Mend them, or open the file in "
                 "Brindle.\n",
                 database.c_str());
    return 1;
  }
  int status = 0;
  const int before = db.GetRomCount();
  for (const std::string& rom : roms) {
    const std::string path = std::filesystem::path(MakeAbsolute(rom)).lexically_normal().string();
    if (!db.AddRom(path))
      status = 1;
  }
  if (db.GetRomCount() > before && !db.Save(database))
    return 1;
  return status;
}
