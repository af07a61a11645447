#pragma once

#include <functional>
#include <string>

#include "db/CFolderAdd.h"

class QWidget;

/// What adding a folder from the window needs from the world around it; tests hand in their own.
struct AddFolderEnvironment {
  /// Asks for the folder to add (the folder picker); empty when the user cancels.
  std::function<std::string(UserPrompt& prompt, QWidget* parent)> chooseFolder;
  /// Shows the summary at the end (the summary dialog).
  std::function<void(const FolderAddResult& result, QWidget* parent)> showSummary;
  /// Called on the working thread after each file; tests hold the work here.
  std::function<void(const FolderAddProgress& progress)> onProgress;
  /// Threads that read ROMs; below 1, one per processor.
  int threads = 0;
};

/// The window's "Add Folder..." command: the folder picker, then the work on a thread of its own
/// behind a progress dialog that can cancel it, then the database written once and one summary.
class CAddFolderRun final {
 public:
  CAddFolderRun(CPatchDB& db, UserPrompt& prompt, const AddFolderEnvironment& environment,
                QWidget* parent);

  /// Asks for a folder and adds what is below it. When anything was added, `commit` is called
  /// before the summary is shown (to write the database). True when anything was added.
  bool Run(const std::function<void()>& commit);

 private:
  void Work(CFolderAdd& work, const std::string& folder);

  CPatchDB& m_db;
  UserPrompt& m_prompt;
  AddFolderEnvironment m_env;
  QWidget* m_parent;
};
