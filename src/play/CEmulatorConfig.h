#pragma once

#include <string>
#include <vector>

/// One value of the emulator's configuration as the file spells it: the key it belongs to and
/// the exact bytes after the "=" (quotes and escapes included), so that putting it back restores
/// the file byte for byte.
struct ConfigValue {
  std::string key;
  std::string raw;
  bool operator==(const ConfigValue&) const = default;
};

/// The emulator's configuration file as bytes with their lines marked. Only the value bytes of
/// the lines that name the places where the emulator looks for a patch are ever changed: every
/// other byte, line ends included, goes back as it was, however long the file.
///
/// Two formats exist. ZSNES 1.42 and older write "SaveDirectory = C:\ZSNES"; ZSNES 1.51 writes
/// SRAMPath="..." (a quoted string with backslash escapes), and later versions add
/// IPSPath="...". The emulator reads lines up to a line feed, as fgets does; a carriage return
/// before it is part of the line end. Lines of the newer form are read exactly as the emulator
/// reads them.
class CEmulatorConfig final {
 public:
  /// The keys whose values a play points at the patch folder.
  static constexpr const char* kSaveDirectoryKey = "SaveDirectory";
  static constexpr const char* kSRAMPathKey = "SRAMPath";
  static constexpr const char* kIPSPathKey = "IPSPath";

  /// Reads the whole file. It must already be a regular file writable by us: a file we could
  /// not write back is left alone from the start. `error` (when given) says why it failed.
  bool Read(const std::string& path, std::string* error = nullptr);
  /// Takes file bytes and marks their lines.
  void Parse(const std::string& bytes);

  /// The values PointAt would replace, as the file spells them, line by line in the file's order
  /// for each key.
  std::vector<ConfigValue> ValuesToReplace() const;
  /// Points every place where the emulator looks for a patch at `directory`. An empty IPSPath
  /// sends the emulator to the save directory, which already leads to the patch: it is left
  /// empty.
  void PointAt(const std::string& directory);
  /// Puts the values of ValuesToReplace back, as spelled: line by line while a key has as many
  /// lines as it had, and otherwise the last value that set anything into every line of the key.
  /// Returns the values it replaced, as spelled before.
  std::vector<ConfigValue> PutBack(const std::vector<ConfigValue>& values);
  /// Whether an old-form value, which runs to the end of its line, holds a carriage return that
  /// does not end the line: the emulator would not read such a file as the lines we see, so it
  /// is not touched.
  bool HasStrayCarriageReturn() const;

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

  /// The bytes to write back.
  const std::string& Serialize() const { return m_bytes; }
  /// Whether anything changed since the file was read.
  bool Changed() const { return m_bytes != m_original; }
  /// Replaces the file safely (temporary file, then rename), keeping its permissions and any
  /// symbolic link that leads to it.
  bool Write(const std::string& path, std::string* error = nullptr) const;

  /// The lines without their ends.
  std::vector<std::string> Lines() const;

 private:
  struct Span {
    size_t begin = 0;
    size_t end = 0;
  };
  /// Where the value of each line of `key` lies, in file order; for IPSPath only the lines
  /// with a value.
  std::vector<Span> ValueSpans(const std::string& key) const;
  std::vector<ConfigValue> ValuesAt(const std::string& key) const;
  void Replace(const std::vector<Span>& spans, const std::string& raw);
  void MarkLines();

  std::string m_bytes;
  std::string m_original;
  std::vector<Span> m_lines;
};
