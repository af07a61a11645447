// Brindle: SNES patches played through ZSNES without patched copies of the ROMs.
#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/CBrindleApp.h"
#include "app/CInstanceChannel.h"
#include "app/CQtPrompt.h"
#include "platform/CInstanceLock.h"
#include "platform/CXdgFileTypeRegistry.h"
#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "platform/Path.h"
#include "prompt/CTerminalPrompt.h"
#include "ui/Artwork.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Brindle");
  QApplication::setDesktopFileName("brindle");

  // BRINDLE_BOXES=terminal shows every message box on the terminal instead (standard error,
  // questions answered on standard input): for scripts and for running without a desktop.
  const char* boxes = std::getenv("BRINDLE_BOXES");
  CQtPrompt windowPrompt;
  CTerminalPrompt terminalPrompt(stderr, stdin);
  UserPrompt& prompt = (boxes && std::strcmp(boxes, "terminal") == 0)
                           ? static_cast<UserPrompt&>(terminalPrompt)
                           : static_cast<UserPrompt&>(windowPrompt);
  CXdgFileTypeRegistry registry([](int index) { return GetFileTypeIconFile(index); });
  CInstanceLock lock("BrindleApp");

  BrindleAppEnvironment env;
  env.window.appDir = GetAppDir();
  // An installed copy keeps its database in the user's data folder, made on the first start.
  // Should that fail, saving at the end says so.
  env.window.databaseDir = GetDatabaseDir();
  CreateFolderWithParents(env.window.databaseDir);
  env.window.executablePath = GetExecutablePath();
  env.window.registry = &registry;
  env.prompt = &prompt;
  env.lock = &lock;
  env.channelName = CInstanceChannel::DefaultServerName();
  env.currentFolder = CurrentFolder();

  // QApplication has taken the arguments it understands out of argv; the rest are ours, kept
  // as the bytes they are: a file name need not be valid UTF-8.
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return CBrindleApp(env).Run(arguments);
}
