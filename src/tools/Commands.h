#pragma once

#include <string>
#include <vector>

class CDatabaseLock;
class CPatchDB;
class CTerminalPrompt;

// The commands of brindle-tool. Each gets the arguments after its own name and returns the
// process exit status; 2 always means the command was used wrongly or its input was missing.

using Args = std::vector<std::string>;

int RunCheck(const Args& args);
int RunDump(const Args& args);
int RunAddRom(const Args& args);
int RunInstall(const Args& args);
int RunAddSet(const Args& args);
int RunAddFolder(const Args& args);
int RunRemove(const Args& args);
int RunMd5(const Args& args);
int RunIdentify(const Args& args);
int RunPlay(const Args& args);
int RunRecover(const Args& args);

/// Prints "brindle-tool: <message>" and the usage hint to standard error; returns 2.
int UsageError(const std::string& message);

/// Takes "--db FILE" (in any place) out of `args` and the other arguments into `rest`; false,
/// after a usage message, without a FILE or with fewer than `least` or more than `most` others.
bool ParseDbArgs(const Args& args, size_t least, size_t most, std::string& database,
                 std::vector<std::string>& rest, const char* command);

/// Takes the lock of the database file for `command`, waiting a moment for another command that
/// holds it. False, after saying who holds it (and `windowAdvice` when that is Brindle's window)
/// on standard error, when it cannot be had.
bool LockDatabase(CDatabaseLock& lock, const std::string& database, const std::string& command,
                  const std::string& windowAdvice);

/// Loads the database file; false, after saying why on standard error, when it cannot be opened.
bool LoadDatabase(CPatchDB& db, const std::string& path);

/// For `command`, which adds `what` (a plural) to the database file or, when `removing`,
/// removes them: takes the file's lock and loads the file with `db`, whose prompt is `prompt`.
/// -1 when the command may go on; otherwise, after saying why, the exit status.
int OpenForChanging(CDatabaseLock& lock, CTerminalPrompt& prompt, CPatchDB& db,
                    const std::string& database, const char* command, const char* what,
                    bool removing);
