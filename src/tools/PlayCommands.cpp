// brindle-tool play and recover: the play sequence with real files and processes. Also the
// reading of "--db FILE" that they share with add-rom.
#include <cstdio>
#include <vector>

#include "db/CPatchDB.h"
#include "platform/CDatabaseLock.h"
#include "platform/Path.h"
#include "prompt/CTerminalPrompt.h"
#include "tools/Commands.h"

bool ParseDbArgs(const Args& args, size_t least, size_t most, std::string& database,
                 std::vector<std::string>& rest, const char* command) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--db") {
      if (i + 1 == args.size()) {
        UsageError(std::string(command) + ": --db needs a FILE");
        return false;
      }
      database = args[++i];
    } else {
      rest.push_back(args[i]);
    }
  }
  if (database.empty() || rest.size() < least || rest.size() > most) {
    UsageError(std::string(command) + ": wrong arguments");
    return false;
  }
  return true;
}

bool LockDatabase(CDatabaseLock& lock, const std::string& database, const std::string& command,
                  const std::string& windowAdvice) {
  // Long enough for another add-rom or install to finish; a play may take hours and is not
  // waited for.
  constexpr int kWaitMs = 10000;
  const CDatabaseLock::Result result =
      lock.Acquire("brindle-tool " + command, command == "play", kWaitMs);
  if (result == CDatabaseLock::Result::Acquired)
    return true;
  std::fflush(stdout);
  if (result == CDatabaseLock::Result::Failed) {
    std::fprintf(stderr, "brindle-tool: cannot lock %s (%s: %s); nothing was changed.\n",
                 database.c_str(), lock.LockPath().c_str(), lock.Error().c_str());
  } else if (lock.HeldByWindow()) {
    std::fprintf(stderr,
                 "brindle-tool: %s is open in Brindle's window (process %d); nothing was "
                 "changed. %s\n",
                 database.c_str(), static_cast<int>(lock.HolderPid()), windowAdvice.c_str());
  } else {
    const std::string holder = lock.Holder().empty() ? "another program" : lock.Holder();
    std::fprintf(stderr,
                 "brindle-tool: %s is in use by another command that is still running (%s, "
                 "process %d); nothing was changed. Try again when it has ended.\n",
                 database.c_str(), holder.c_str(), static_cast<int>(lock.HolderPid()));
  }
  return false;
}

bool LoadDatabase(CPatchDB& db, const std::string& path) {
  const int result = db.Load(path);
  if (result == 0)
    return true;
  std::fprintf(stderr, "brindle-tool: cannot open %s: %s\n", path.c_str(),
               result == 1 ? "no such file" : "the file exists but cannot be read");
  return false;
}

int RunPlay(const Args& args) {
  std::string database;
  std::vector<std::string> rest;
  if (!ParseDbArgs(args, 1, 2, database, rest, "play"))
    return 2;
  // "--set NAME" plays a patch set; otherwise the one argument is a patch.
  const bool set = rest[0] == "--set";
  if (rest.size() != (set ? 2u : 1u))
    return UsageError("play: wrong arguments");
  // The play's journal and the emulator's configuration are written under the database's lock.
  CDatabaseLock lock(database);
  if (!LockDatabase(lock, database, "play", "Play the patch there, or close the window first."))
    return 1;
  CTerminalPrompt prompt(stdout, stdin);
  CPatchDB db(prompt);
  if (!LoadDatabase(db, database))
    return 2;
  db.RemoveLitter();
  // The database file is only read: playing changes nothing that brindle.dat holds.
  if (set) {
    const int index = db.FindSet(rest[1]);
    if (index < 0) {
      std::fprintf(stderr, "brindle-tool: no patch set is named %s\n", rest[1].c_str());
      return 2;
    }
    return db.PlayPatchSet(index) == 1 ? 0 : 1;
  }
  const std::string patchPath = NormalizePath(rest[0]);
  const int index = db.FindPatch(patchPath);
  if (index < 0) {
    std::fprintf(stderr, "brindle-tool: no installed patch has the path %s\n", patchPath.c_str());
    return 2;
  }
  return db.PlayPatch(index) == 1 ? 0 : 1;
}

int RunRecover(const Args& args) {
  std::string database;
  std::vector<std::string> rest;
  if (!ParseDbArgs(args, 0, 0, database, rest, "recover"))
    return 2;
  CDatabaseLock lock(database);
  if (!LockDatabase(lock, database, "recover",
                    "It puts back what an interrupted play left when it starts."))
    return 1;
  CTerminalPrompt prompt(stdout, nullptr);
  CPatchDB db(prompt);
  db.SetDatabasePath(database);
  db.RemoveLitter();
  if (!db.RecoverInterruptedPlay())
    std::printf("No interrupted play to recover.\n");
  return 0;
}
