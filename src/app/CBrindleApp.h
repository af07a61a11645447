#pragma once

#include <QString>
#include <string>
#include <vector>

#include "app/CMainDlg.h"

class CInstanceLock;

/// What start-up needs from the world around it; the program passes the real ones, tests their
/// own.
struct BrindleAppEnvironment {
  MainDlgEnvironment window;
  UserPrompt* prompt = nullptr;
  CInstanceLock* lock = nullptr;
  /// Where the running copy listens for a second one.
  QString channelName;
  /// The folder relative command-line paths are taken against.
  std::string currentFolder;
};

/// The application: one copy per user, which runs the main window until it closes.
class CBrindleApp final {
 public:
  explicit CBrindleApp(BrindleAppEnvironment environment) : m_env(std::move(environment)) {}

  /// Runs the program for the given arguments (without the program name); returns the exit
  /// status once the window has closed, or at once for a second copy.
  int Run(const std::vector<std::string>& arguments);

  /// The file named on the command line by the last Run.
  const std::string& CommandLineFile() const { return m_commandLineFile; }

 private:
  BrindleAppEnvironment m_env;
  std::string m_commandLineFile;
};
