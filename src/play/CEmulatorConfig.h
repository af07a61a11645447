#pragma once

#include <string>
#include <vector>

/// The emulator's configuration file as a table of lines. Only the lines that name the save
/// directory are ever changed; every other line goes back byte for byte, however long the file.
/// The file is always written back with CR LF line ends.
class CEmulatorConfig final {
 public:
  /// Reads the whole file. It must already exist and be writable by us: a file we could not
  /// write back is left alone from the start. `error` (when given) says why it failed.
  bool Read(const std::string& path, std::string* error = nullptr);
  /// Splits file bytes into lines: a line ends at LF or CR LF, and the ending is dropped.
  void Parse(const std::string& bytes);

  /// Points every save-directory line at `directory`. Returns whether any line matched; the
  /// value of the last matching line, as the emulator had it, goes to `previous`.
  bool ReplaceSaveDirectory(const std::string& directory, std::string* previous);

  /// The bytes written back: every line followed by CR LF.
  std::string Serialize() const;
  /// Replaces the file safely (temporary file, then rename), keeping its permissions and any
  /// symbolic link that leads to it.
  bool Write(const std::string& path, std::string* error = nullptr) const;

  const std::vector<std::string>& Lines() const { return m_lines; }

 private:
  std::vector<std::string> m_lines;
};
