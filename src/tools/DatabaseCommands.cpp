// brindle-tool check, dump, add-rom, install, add-set and remove: brindle.dat as the program
// reads and writes it.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>

#include "db/CPatchDB.h"
#include "platform/CDatabaseLock.h"
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

int OpenForChanging(CDatabaseLock& lock, CTerminalPrompt& prompt, CPatchDB& db,
                    const std::string& database, const char* command, const char* what,
                    bool removing) {
  // A window keeps the database in memory and writes all of it with each change, which would
  // undo what we change; another command would write over it. Holding the lock also keeps a
  // window from starting until we are done.
  const std::string advice =
      removing ? std::string("Close the window first (or remove the ") + what +
                     " there): it writes all of the database with each change, and would put "
                     "back the " +
                     what + " removed here."
               : std::string("Close the window first (or add the ") + what +
                     " there): it writes all of the database with each change, and would lose "
                     "the " +
                     what + " added here.";
  if (!LockDatabase(lock, database, command, advice))
    return 1;
  if (!LoadDatabase(db, database))
    return 2;
  db.RemoveLitter();
  // The lines just shown would be gone from the file once it is written.
  if (prompt.BoxCount() > 0) {
    std::fflush(stdout);
    std::fprintf(stderr,
                 "brindle-tool: %s has lines Brindle cannot read (shown above); nothing was "
                 "%s, so that they stay in the file. Mend them, or open the file in "
                 "Brindle.\n",
                 database.c_str(), removing ? "removed" : "added");
    return 1;
  }
  return -1;
}

namespace {

// What add-rom and install share: each file, made absolute, goes to `add`; FILE is written once
// at the end when anything was added. Returns the exit status.
int AddToDatabase(const Args& args, const char* command, const char* what,
                  const std::function<bool(CPatchDB& db, const std::string& path)>& add) {
  std::string database;
  std::vector<std::string> files;
  if (!ParseDbArgs(args, 1, SIZE_MAX, database, files, command))
    return 2;
  CDatabaseLock lock(database);
  CTerminalPrompt prompt(stdout, nullptr);
  CPatchDB db(prompt);
  if (const int status = OpenForChanging(lock, prompt, db, database, command, what, false);
      status >= 0)
    return status;
  int status = 0;
  const int before = db.GetRomCount() + db.GetPatchCount();
  for (const std::string& file : files) {
    const std::string path = NormalizePath(file);
    if (!add(db, path))
      status = 1;
  }
  if (db.GetRomCount() + db.GetPatchCount() > before && !db.Save(database))
    return 1;
  return status;
}

}  // namespace

int RunAddRom(const Args& args) {
  return AddToDatabase(args, "add-rom", "ROMs",
                       [](CPatchDB& db, const std::string& path) { return db.AddRom(path); });
}

int RunInstall(const Args& args) {
  return AddToDatabase(args, "install", "patches", [](CPatchDB& db, const std::string& path) {
    // Where Brindle would open its Patch Information dialog, the patch is left to Brindle.
    return db.InstallPatch(path, [&path](PatchRecord&) {
      std::fflush(stdout);
      std::fprintf(stderr,
                   "brindle-tool: %s was not installed: its information must be entered in "
                   "Brindle's Patch Information dialog\n",
                   path.c_str());
      return false;
    });
  });
}

int RunAddSet(const Args& args) {
  std::string database;
  std::vector<std::string> rest;
  if (!ParseDbArgs(args, 1, SIZE_MAX, database, rest, "add-set"))
    return 2;
  CDatabaseLock lock(database);
  CTerminalPrompt prompt(stdout, nullptr);
  CPatchDB db(prompt);
  if (const int status =
          OpenForChanging(lock, prompt, db, database, "add-set", "patch sets", false);
      status >= 0)
    return status;
  std::vector<std::string> patches;
  for (size_t i = 1; i < rest.size(); ++i)
    patches.push_back(NormalizePath(rest[i]));
  if (!db.AddPatchSet(rest[0], patches) || !db.Save(database))
    return 1;
  return 0;
}

int RunRemove(const Args& args) {
  std::string database;
  std::vector<std::string> rest;
  if (!ParseDbArgs(args, 1, SIZE_MAX, database, rest, "remove"))
    return 2;
  // "--set NAME" removes a patch set; otherwise each argument is a patch's or a ROM's file.
  const bool set = rest[0] == "--set";
  if (set && rest.size() != 2)
    return UsageError("remove --set takes exactly one NAME");
  CDatabaseLock lock(database);
  CTerminalPrompt prompt(stdout, nullptr);
  CPatchDB db(prompt);
  if (const int status = OpenForChanging(lock, prompt, db, database, "remove", "entries", true);
      status >= 0) {
    return status;
  }
  int status = 0;
  bool removed = false;
  const auto refuse = [&status](const std::string& message) {
    std::fflush(stdout);
    std::fprintf(stderr, "brindle-tool: %s\n", message.c_str());
    status = 1;
  };
  if (set) {
    if (const int index = db.FindSet(rest[1]); index >= 0) {
      db.RemoveSet(index);
      removed = true;
    } else {
      refuse(database + " has no patch set named \"" + rest[1] + "\"");
    }
  }
  for (size_t i = 0; !set && i < rest.size(); ++i) {
    const std::string path = NormalizePath(rest[i]);
    if (const int patch = db.FindPatch(path); patch >= 0) {
      // As in the window: a set cannot be played without every one of its patches.
      for (const std::string& name : db.SetsUsingPatch(path)) {
        db.RemoveSet(db.FindSet(name));
        std::printf("The patch set \"%s\" used %s and was removed with it.\n", name.c_str(),
                    path.c_str());
      }
      db.RemovePatch(patch);
      removed = true;
      continue;
    }
    int rom = db.GetRomCount() - 1;
    while (rom >= 0 && db.GetRom(rom)->Filename != path)
      --rom;
    if (rom >= 0) {
      db.RemoveRom(rom);
      removed = true;
    } else {
      refuse(path + " is neither an installed patch nor an installed ROM of " + database);
    }
  }
  if (removed && !db.Save(database))
    return 1;
  return status;
}
