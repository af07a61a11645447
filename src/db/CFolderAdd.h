#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/CPatchDB.h"
#include "db/CRomIdentifier.h"
#include "prompt/CRecordingPrompt.h"

/// How far adding a folder has got. While `scanning`, only `filesFound` counts.
struct FolderAddProgress {
  bool scanning = true;
  int64_t filesFound = 0;
  int64_t filesDone = 0;
  int64_t filesTotal = 0;
  int64_t bytesDone = 0;
  int64_t bytesTotal = 0;
};

/// What adding a folder did, for the summary at its end.
struct FolderAddResult {
  struct Note {
    std::string path;
    std::vector<std::string> messages;  // the texts of the boxes adding it alone would show
  };
  int romsAdded = 0;
  int patchesAdded = 0;
  int romsPresent = 0;  // already installed under the same path
  int patchesPresent = 0;
  /// Patches without a usable information file: added only by giving their information.
  std::vector<Note> needInformation;
  std::vector<Note> refused;
  /// What the search passed over: links that loop, folders it could not read, vanished files.
  std::vector<Note> skipped;
  bool searchIncomplete = false;  // a folder could not be read: files in it were not seen
  bool cancelled = false;
  int64_t filesDone = 0;
  int64_t filesTotal = 0;

  int Added() const { return romsAdded + patchesAdded; }
  /// Everything below the folders is in the database now, added or there before.
  bool Complete() const {
    return !cancelled && !searchIncomplete && refused.empty() && needInformation.empty();
  }
};

/// Adds every ROM and patch below some folders under the rules for adding one alone, collecting
/// what those rules would say instead of showing it. Works on a copy of the database's records,
/// so the database itself can be shown while this runs on another thread; MergeInto hands over
/// what was added. ROM files are identified on several threads, a few files ahead of the one
/// being added, and added in the order the search found them.
class CFolderAdd final {
 public:
  /// `threads` below 1 means one per processor.
  explicit CFolderAdd(const CPatchDB& db, int threads = 0);
  ~CFolderAdd();
  CFolderAdd(const CFolderAdd&) = delete;
  CFolderAdd& operator=(const CFolderAdd&) = delete;

  /// Does the whole work on the calling thread; `onProgress` (optional) is called on it after
  /// each file and now and then while searching.
  void Run(const std::vector<std::string>& folders,
           const std::function<void(const FolderAddProgress&)>& onProgress = {});
  /// Stops Run after the file in hand; what was added stays. Any thread may call it.
  void Cancel() { m_cancel = true; }
  /// Any thread may ask.
  FolderAddProgress Progress() const;
  const FolderAddResult& Result() const { return m_result; }
  /// Appends the records Run added to `db`, the database it was copied from, in their order.
  void MergeInto(CPatchDB& db) const;

 private:
  struct Found {
    std::string path;
    int64_t size = 0;
    bool rom = false;
    bool present = false;
  };
  void Scan(const std::vector<std::string>& folders,
            const std::function<void(const FolderAddProgress&)>& onProgress);
  void AddAll(const std::function<void(const FolderAddProgress&)>& onProgress);
  void AddPatch(const std::string& path);
  void AddRom(const std::string& path, CRomIdentifier::Result identified);
  void Refused(const std::string& path);

  CRecordingPrompt m_prompt;
  CPatchDB m_db;
  int m_threads;
  int m_romsBefore;
  int m_patchesBefore;
  std::vector<Found> m_found;
  FolderAddResult m_result;
  std::atomic<bool> m_cancel = false;
  std::atomic<bool> m_scanning = true;
  std::atomic<int64_t> m_filesFound = 0;
  std::atomic<int64_t> m_filesDone = 0;
  std::atomic<int64_t> m_bytesDone = 0;
  std::atomic<int64_t> m_bytesTotal = 0;
};

/// The summary shown at the end: the counts in a few sentences, then the files that need their
/// information, the refused files with their messages and what the search skipped.
std::string FolderAddSummaryHead(const FolderAddResult& result);
std::string FolderAddSummaryDetails(const FolderAddResult& result);
/// One line for a progress display: the files found while searching, then the files and bytes
/// done.
std::string FolderAddProgressText(const FolderAddProgress& progress);
