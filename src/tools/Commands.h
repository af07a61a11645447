#pragma once

#include <string>
#include <vector>

// The commands of brindle-tool. Each gets the arguments after its own name and returns the
// process exit status; 2 always means the command was used wrongly or its input was missing.

using Args = std::vector<std::string>;

int RunCheck(const Args& args);
int RunDump(const Args& args);
int RunMd5(const Args& args);
int RunIdentify(const Args& args);
int RunPlay(const Args& args);
int RunRecover(const Args& args);

/// Prints "brindle-tool: <message>" and the usage hint to standard error; returns 2.
int UsageError(const std::string& message);
