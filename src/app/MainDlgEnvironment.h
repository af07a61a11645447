#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/CAddFolderRun.h"
#include "db/CPatchDB.h"
#include "db/EmulatorChoice.h"
#include "dialogs/OptionsPage.h"

class FileTypeRegistry;
class QWidget;

/// What the main window needs from the world around it; tests hand in their own.
struct MainDlgEnvironment {
  /// The folder of the program's own files: the page icons.
  std::string appDir;
  /// The folder of brindle.dat; plays keep their journal beside it.
  std::string databaseDir;
  /// The program's path, written into the file-type registration.
  std::string executablePath;
  /// Receives the file-type registration; none means no registration.
  FileTypeRegistry* registry = nullptr;
  /// Asks for a ROM file to install; empty when the user cancels.
  std::function<std::string(QWidget* parent)> chooseRomFile;
  /// Asks for a patch file (IPS, BPS or UPS) to install; empty when the user cancels.
  std::function<std::string(QWidget* parent)> choosePatchFile;
  /// Runs the Patch Information dialog on a record; true when the user confirmed it.
  std::function<bool(PatchRecord& patch, bool allowEdit, UserPrompt& prompt, QWidget* parent)>
      editPatchInfo;
  /// Runs the Patch Information dialog of a patch set; true when the user confirmed it.
  std::function<bool(PatchSetRecord& set, const CPatchDB& db, bool allowEdit, QWidget* parent)>
      editPatchSetInfo;
  /// Runs the Make Patch Set dialog on installed patches (indices, in the order first offered);
  /// true when it added a set to the database.
  std::function<bool(CPatchDB& db, const std::vector<int>& patches, QWidget* parent)> makePatchSet;
  /// Runs the ROM Information dialog on a record; true when the user confirmed it.
  std::function<bool(RomRecord& rom, CPatchDB& db, UserPrompt& prompt, QWidget* parent)>
      editRomInfo;
  /// Runs the Options dialog on the database at a page; `appDir` holds the page icons.
  std::function<void(CPatchDB& db, OptionsPage page, const std::string& appDir, UserPrompt& prompt,
                     QWidget* parent)>
      showOptions;
  /// The user guide's first page; empty means where the program finds it.
  std::string userGuide;
  /// Opens a file in the desktop's viewer for it; false when none could.
  std::function<bool(const std::string& path)> openInViewer;
  /// The emulators installed on this system, which the first start's greeting names.
  std::function<InstalledEmulators()> findEmulators;
  /// What "Add Folder..." asks for and shows.
  AddFolderEnvironment addFolder;
};

/// Fills in the real file dialogs and dialogs where the environment leaves them empty.
void CompleteMainDlgEnvironment(MainDlgEnvironment& environment);
