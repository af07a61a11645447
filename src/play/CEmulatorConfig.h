#pragma once

#include <string>
#include <vector>

#include "play/SaveDirectoryRecord.h"

/// The emulator's configuration file as a table of lines. Only the lines that name the places
/// where the emulator looks for a patch are ever changed; every other line goes back byte for
/// byte, however long the file.
///
/// Two formats exist. ZSNES 1.42 and older write "SaveDirectory = C:\ZSNES": such files are
/// always written back with CR LF line ends. ZSNES 1.51 writes SRAMPath="..." (a quoted string
/// with backslash escapes), and later versions add IPSPath="..."; a file in that form keeps the
/// line ends it came with when all its lines agree, since the Linux emulator writes LF alone.
/// Lines of that form are read exactly as the emulator reads them.
class CEmulatorConfig final {
 public:
  /// The kinds of line ReplaceDirectories can meet, as bits of its result.
  enum Form : unsigned { kSaveDirectoryForm = 1, kSRAMPathForm = 2, kIPSPathForm = 4 };

  /// Reads the whole file. It must already exist and be writable by us: a file we could not
  /// write back is left alone from the start. `error` (when given) says why it failed.
  bool Read(const std::string& path, std::string* error = nullptr);
  /// Splits file bytes into lines: a line ends at LF or CR LF, and the ending is dropped.
  void Parse(const std::string& bytes);

  /// Points every "SaveDirectory = " line at `directory`. Returns whether any line matched; the
  /// value of the last matching line, as the emulator had it, goes to `previous`.
  bool ReplaceSaveDirectory(const std::string& directory, std::string* previous);
  /// Points the lines of every form that `values` has a value for at that value. For each form
  /// met, `previous` receives the value the emulator had (the last such line wins); its other
  /// fields are left alone. Returns the forms met.
  unsigned ReplaceDirectories(const SaveDirectoryRecord& values, SaveDirectoryRecord& previous);

  /// Whether the emulator will apply no patch at all: the last AutoPatch line it reads sets 0.
  bool AutoPatchOff() const;

  /// Whether the lines of this file that name folders can carry `folder` so that the emulator
  /// reads it back as it is.
  enum class FolderFit { Fits, LineBreak, TooLong };
  FolderFit FitFolder(const std::string& folder) const;

  /// A value as the emulator writes it: in double quotes, with a backslash before each
  /// backslash, double quote, single quote, tab and line feed.
  static std::string EncodeQuoted(const std::string& text);
  /// The folder the emulator reads from the text after a line's "=": up to a ";" comment and
  /// the first blank outside quotes, a quoted string with its quotes dropped and a backslash
  /// taking the character after it as it is; empty when the value is not in double quotes.
  static std::string DecodeValue(const std::string& text);
  /// The name the emulator reads from a line: the text before its first "=", from its first
  /// character that is not white space to the next blank outside quotes; empty when the line
  /// (before its comment) has no "=".
  static std::string KeyOf(const std::string& line);

  /// The bytes written back (see the class comment for the line ends).
  std::string Serialize() const;
  /// Replaces the file safely (temporary file, then rename), keeping its permissions and any
  /// symbolic link that leads to it.
  bool Write(const std::string& path, std::string* error = nullptr) const;

  const std::vector<std::string>& Lines() const { return m_lines; }

 private:
  enum class LineEnds { None, LF, CRLF, Mixed };

  std::vector<std::string> m_lines;
  LineEnds m_lineEnds = LineEnds::None;  // what the terminated lines of the file agreed on
  bool m_lastLineEnded = true;
};
