#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Process.h"

/// What one play has changed on disk, kept in a small file beside brindle.dat for as long as the
/// ROM carries the play name. If Brindle dies while the emulator runs, the next start finds it
/// and puts the ROM's name and the emulator's save directory back.
class CPlayJournal final {
 public:
  /// The journal's path for a database file path: "brindle.play" in the same folder.
  static std::string PathFor(const std::string& databasePath);

  /// The file's bytes: one Name=Value line for each field that has a value, line breaks and
  /// backslashes escaped.
  std::string Serialize() const;
  /// Reads what Serialize wrote; false when a field other than the optional ones is missing, or
  /// the text is not a journal.
  bool Parse(const std::string& bytes);

  /// Written safely, so that a crash while writing never leaves half a journal.
  bool Write(const std::string& path, std::string* error = nullptr) const;
  /// false when the file cannot be read or is not a journal.
  bool Read(const std::string& path);
  /// Deletes the journal file; a missing file counts as removed.
  static bool Remove(const std::string& path, std::string* error = nullptr);

  std::string RomFile;        // the ROM's recorded path
  std::string PlayName;       // the name the ROM carries while the emulator runs
  std::string ConfigFile;     // the emulator configuration file that was rewritten, if any
  std::string SaveDirectory;  // the save directory to put back into it
  // The values of the newer configuration form to put back, when the play rewrote such lines.
  std::optional<std::string> SRAMPath;
  std::optional<std::string> IPSPath;
  // The symbolic link the play made so that the emulator finds a patch whose extension is not
  // written in small letters, when it made one.
  std::optional<std::string> PatchLink;
  // The play's own folder, and the names made in it, removed with it.
  std::optional<std::string> RunFolder;
  std::vector<std::string> RunEntries;
  // Files the play made elsewhere, each with the digest of what it wrote: removed only while
  // they still hold that.
  struct MadeFile {
    std::string digest;
    std::string path;
    bool operator==(const MadeFile&) const = default;
  };
  std::vector<MadeFile> MadeFiles;
  // The processes of the play, when known: the one that plays (Brindle or brindle-tool) and the
  // emulator it started. While either runs, the play is not over.
  std::optional<ProcessStamp> Player;
  std::optional<ProcessStamp> Emulator;
};
