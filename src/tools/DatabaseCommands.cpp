// brindle-tool check and dump: brindle.dat as the program reads and writes it.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "db/CPatchDB.h"
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
