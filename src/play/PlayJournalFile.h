#pragma once

#include <functional>
#include <string>

#include "play/CPlayJournal.h"

class CPatchDB;

/// The journal of the play under way, as the play's steps write to it: each step recorded
/// before it is taken, and marked once it is put back.
class PlayJournalFile {
 public:
  explicit PlayJournalFile(const CPatchDB& db) : m_db(db) {}

  /// Records a step before it is taken; false after a message.
  bool Journal(const JournalStep& step);
  /// Makes the file `path`, which must not be there yet, recorded first with the digest of its
  /// bytes; false after a message.
  bool MakeFile(const std::string& path, const std::string& bytes);
  /// The step journaled last was never taken after all.
  void NotTaken() { journal.MarkUndone(journal.Steps.size() - 1); }
  /// Marks every pending step of a kind put back.
  void MarkUndone(JournalStep::Kind kind);
  /// Whether a step of a kind is still to be put back.
  bool Pending(JournalStep::Kind kind) const;
  /// A moment that matters to a crash: tests end the process there.
  void Moment() const {
    if (momentHook)
      momentHook();
  }
  void ReportFailure(const std::string& error) const;

  CPlayJournal journal;
  std::string path;  // empty: kept in memory only
  std::function<void()> momentHook;

 private:
  const CPatchDB& m_db;
};
