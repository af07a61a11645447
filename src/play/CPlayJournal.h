#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Process.h"

/// One change a play makes outside its own folder, as the journal records it before the change
/// is made: enough to undo it, and nothing that belongs to one emulator only.
struct JournalStep {
  enum class Kind {
    Value,     // in the configuration file `path`, the value of `key` was `text` (as spelled)
    Rename,    // `path` was renamed to `target`
    Link,      // the symbolic link `path`, leading to `target`, was made
    File,      // the file `path` was made; holding bytes of the digest `text`, when given
    Folder,    // the folder `path` was made, for the names in `text` ("/" between them)
    Emulator,  // the emulator `process` was started
  };
  Kind kind = Kind::Value;
  std::string path;
  std::string target;                   // Rename, Link
  std::string key;                      // Value
  std::string text;                     // Value, File, Folder
  std::optional<ProcessStamp> process;  // Emulator
  bool undone = false;                  // put back already by the play itself
  bool operator==(const JournalStep&) const = default;

  static JournalStep Value(std::string file, std::string key, std::string text) {
    JournalStep step;
    step.path = std::move(file);
    step.key = std::move(key);
    step.text = std::move(text);
    return step;
  }
  static JournalStep Rename(std::string from, std::string to) {
    return Of(Kind::Rename, std::move(from), std::move(to));
  }
  static JournalStep Link(std::string link, std::string target) {
    return Of(Kind::Link, std::move(link), std::move(target));
  }
  static JournalStep File(std::string path, std::string digest = std::string()) {
    JournalStep step = Of(Kind::File, std::move(path), "");
    step.text = std::move(digest);
    return step;
  }
  static JournalStep Folder(std::string path, std::string names) {
    JournalStep step = Of(Kind::Folder, std::move(path), "");
    step.text = std::move(names);
    return step;
  }
  static JournalStep Emulator(ProcessStamp process) {
    JournalStep step = Of(Kind::Emulator, "", "");
    step.process = process;
    return step;
  }

 private:
  static JournalStep Of(Kind kind, std::string path, std::string target) {
    JournalStep step;
    step.kind = kind;
    step.path = std::move(path);
    step.target = std::move(target);
    return step;
  }
};

/// The play journal: a small file beside brindle.dat that a play creates, exclusively, before it
/// changes anything, and to which each step is appended (and flushed to disk) before it is
/// taken. While it exists no other play starts; if the player dies, the next start (or
/// brindle-tool recover) undoes the recorded steps in reverse, unless the player or its
/// emulator still runs.
class CPlayJournal final {
 public:
  /// The journal's path for a database file path: "brindle.play" in the same folder.
  static std::string PathFor(const std::string& databasePath);

  /// Creates the journal at `path` with the player's stamp, complete or not at all, and only
  /// when no journal is there: that is the play's claim. `exists` tells a journal already there
  /// from other failures. An empty path keeps the journal in memory only.
  bool Create(const std::string& path, std::string* error = nullptr, bool* exists = nullptr);
  /// Records a step, on disk before it returns; `Steps` receives it either way.
  bool Append(const JournalStep& step, std::string* error = nullptr);
  /// Records that the step at `index` has been put back.
  bool MarkUndone(size_t index);
  /// Records that the player has ended, leaving the rest to the next start even while the
  /// process that played (a window) goes on.
  bool MarkEnded();

  /// The file's bytes: a heading, the player and one line per step, fields escaped.
  std::string Serialize() const;
  /// Reads what Serialize wrote (and the journal of older builds). A last line without its line
  /// end was being written when the player died: that step was never taken. False when the
  /// text is not a journal or a line is damaged.
  bool Parse(const std::string& bytes);
  /// false when the file cannot be read or is not a journal.
  bool Read(const std::string& path);
  /// Deletes the journal file; a missing file counts as removed.
  static bool Remove(const std::string& path, std::string* error = nullptr);

  /// The emulator the play started, when it got that far.
  std::optional<ProcessStamp> Emulator() const;

  std::optional<ProcessStamp> Player;  // the process that plays (Brindle or brindle-tool)
  bool Ended = false;                  // the player is done with the play
  std::vector<JournalStep> Steps;

 private:
  bool AppendLine(const std::string& line, std::string* error);
  std::string m_path;
};
