#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

/// An X server of its own (Xvfb on the first free display), for what only a real display shows:
/// windows mapped and unmapped, real key presses and pointer clicks through xdotool. Without Xvfb
/// or xdotool `display` stays empty and the tests that need it skip.
struct XServer {
  pid_t pid = -1;
  std::string display;  // ":N"

  XServer();
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  /// Runs xdotool on this display; its output without the final line end.
  std::string XDoTool(const std::string& arguments) const;
  /// Waits (at most `seconds`) until a visible window's title matches the regular expression.
  bool WaitForWindow(const std::string& titlePattern, int seconds = 20) const;
};

/// The ids of the children of a process (from /proc), in no particular order.
std::vector<pid_t> ChildrenOf(pid_t pid);
