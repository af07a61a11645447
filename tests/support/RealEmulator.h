#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

struct XServer;

// Playing through the real brindle-tool with a real emulator on an X server of the test's own.

/// What a play came to.
struct DisplayedPlay {
  int status = -1;                // brindle-tool's exit status; -1 when it had to be killed
  std::string output;             // its standard output and error
  bool windowShown = false;       // whether the emulator's window showed
  bool ranWithoutWindow = false;  // the emulator was still running, windowless, after 20 s
};

/// How a test ends the emulator, given its process id. The default sends SIGTERM.
using EndEmulator = std::function<void(pid_t emulator)>;

/// Runs `brindle-tool play IPS --db DATABASE` on `x`'s display with sound off
/// (SDL_AUDIODRIVER=dummy) and no answers on its standard input. Once a window whose title
/// matches `windowTitle` shows (20 seconds at most), the game runs for a second, then `end` is
/// called for each child of brindle-tool (the emulator), and brindle-tool is waited for (20
/// seconds at most, after which it and the emulator are killed). A play that ends before any
/// window shows (one that Brindle refused, say) comes back at once. An empty `windowTitle` waits
/// for the emulator to have started (EmulatorStarted) instead, and lets the game run for two
/// seconds.
DisplayedPlay PlayOnDisplay(const XServer& x, const std::string& ips, const std::string& database,
                            const std::string& windowTitle, const EndEmulator& end = {});
/// The same with the words after "play" given: {"--set", NAME} plays a patch set.
DisplayedPlay PlayOnDisplay(const XServer& x, const std::vector<std::string>& played,
                            const std::string& database, const std::string& windowTitle,
                            const EndEmulator& end = {});

/// Whether brindle-tool `tool` has started its emulator and the emulator is ready for SIGTERM:
/// RetroArch and Mednafen set up their handling of it (they save and end) a moment after they
/// start, and one sent SIGTERM before that simply dies, saving nothing.
bool EmulatorStarted(pid_t tool);

/// While one lives, no other test plays a real emulator: two started together under load have
/// ended at once without a window, or died before they were ready.
class RealEmulatorTurn {
 public:
  RealEmulatorTurn();
  ~RealEmulatorTurn();
  RealEmulatorTurn(const RealEmulatorTurn&) = delete;
  RealEmulatorTurn& operator=(const RealEmulatorTurn&) = delete;

 private:
  int lock_ = -1;
};

/// Whether a missing emulator fails the test instead of skipping it: on CI (CI set), where
/// scripts/deps.sh --emulators has installed them all.
bool RealEmulatorsRequired();

/// brindle-tool with `arguments` (already quoted for /bin/sh); its exit status, and its standard
/// output and error in `output`.
int RunTool(const std::string& arguments, std::string* output = nullptr);
