#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/CFieldStore.h"
#include "db/PatchRecord.h"
#include "db/PatchSetRecord.h"
#include "db/RomRecord.h"
#include "parser/CVariableTable.h"
#include "parser/LineContext.h"
#include "patch/PatchSummary.h"
#include "platform/CFile.h"
#include "prompt/UserPrompt.h"

/// Takes the bytes of a file being made, piece after piece, in order.
using TextPieceSink = std::function<void(std::string&& bytes)>;
/// The size of the pieces a file is handed on in as it is made.
inline constexpr size_t kTextPieceBytes = 1 << 20;

/// Lets the user fill in or correct a patch's information (the Patch Information dialog, where
/// there is one). True when the user confirmed it; the record then holds what was entered.
using PatchInfoEditor = std::function<bool(PatchRecord& patch)>;

/// The database: installed patches and ROMs, the settings, and the operations that read
/// and write brindle.dat, identify ROM files and play patches. Owns every record; callers get
/// non-owning pointers (valid until the record is removed) or indices.
class CPatchDB final {
 public:
  explicit CPatchDB(UserPrompt& prompt);
  ~CPatchDB();
  CPatchDB(const CPatchDB&) = delete;
  CPatchDB& operator=(const CPatchDB&) = delete;

  UserPrompt& Prompt() const { return m_prompt; }

  // Records.
  int GetPatchCount() const { return static_cast<int>(m_patches.size()); }
  int GetRomCount() const { return static_cast<int>(m_roms.size()); }
  /// The record at an index; nullptr when the index is out of range.
  PatchRecord* GetPatch(int index) const;
  RomRecord* GetRom(int index) const;
  /// Index of the first patch whose Filename is `path`, byte for byte, or -1.
  int FindPatch(const std::string& path) const;
  /// The first ROM whose shown name equals `romName` ignoring letter case (both under the
  /// parentheses rule when IgnoreParens is set) and whose size word is `sizeWord`; or nullptr.
  RomRecord* FindRom(const std::string& romName, int32_t sizeWord) const;
  /// The name a ROM is matched and listed under: its forced name when it uses one, otherwise
  /// its internal name, under the parentheses rule when IgnoreParens is set.
  std::string ShownRomName(const RomRecord& rom) const;
  /// Deletes the record at an index; later records move down. Out of range does nothing.
  void RemovePatch(int index);
  void RemoveRom(int index);
  /// Appends a record the database then owns.
  void AppendPatch(std::unique_ptr<PatchRecord> patch);
  void AppendRom(std::unique_ptr<RomRecord> rom);
  /// Counts the changes made to the records since Load: each append, each removal and each
  /// MarkChanged (a record edited in place). Whoever writes the file compares it with the count
  /// it wrote last.
  uint64_t Changes() const { return m_changes; }
  void MarkChanged() { ++m_changes; }

  // Patch sets.
  int GetSetCount() const { return static_cast<int>(m_sets.size()); }
  PatchSetRecord* GetSet(int index) const;
  /// Index of the set named `name`, byte for byte, or -1.
  int FindSet(const std::string& name) const;
  void AppendSet(std::unique_ptr<PatchSetRecord> set);
  void RemoveSet(int index);
  /// The names of the sets that use the patch whose Filename is `path`, in their order.
  std::vector<std::string> SetsUsingPatch(const std::string& path) const;
  /// Appends a set named `name` of the installed patches at `paths`, applied in that order.
  /// False, after a message, when the name is empty, not a file name or taken, or the patches
  /// are not 2 to 10 different installed patches of one ROM.
  bool AddPatchSet(const std::string& name, const std::vector<std::string>& paths);
  /// Whether two patches are for one ROM, as the patches of a set must be: the same size word,
  /// names equal in any letter case (under the parentheses rule), digests equal when both have
  /// one.
  bool SameTargetRom(const PatchRecord& a, const PatchRecord& b) const;

  // Size texts.
  static int32_t ParseRomSize(std::string_view text);

  // ROM identification.
  /// What GetRomName and GetFileHash give in place of a name or digest they cannot read.
  static constexpr const char* kInvalidRomNameText =
      "Error in CPatchDB::GetRomName(CFile*): Invalid file handle.";
  static constexpr const char* kInvalidFileHashText =
      "Error in CPatchDB::GetFileHash(CFile*): Invalid file handle.";
  /// The internal name stored in the image, without trailing blanks.
  static std::string GetRomName(CFile& file);
  /// The digest text of the whole file, copier header included.
  static std::string GetFileHash(CFile& file);
  static std::string GetFileHash(const std::string& path);
  /// The name with its parenthesised part(s) removed, for comparing names under IgnoreParens.
  static std::string StripParens(const std::string& name);
  /// Fills `rom` from an open ROM file opened by `path`, as installing it does. False, with
  /// `rom` untouched, when the ROM data is too large for the eight megabit bits of a size word.
  static bool IdentifyRom(CFile& file, const std::string& path, RomRecord& rom);
  /// Reads the ROM file at `path` into `rom` as installing it does, short of the duplicate
  /// rules: empty when the file can be installed as far as it alone goes, otherwise the error
  /// that refuses it. Touches no database, so any thread may call it.
  static std::string ReadRomFile(const std::string& path, RomRecord& rom);
  /// What ReadRomFile gives for one ROM.
  struct RomRead {
    std::string error;
    RomRecord rom;
  };
  /// ReadRomFile of a ROM file or of an archive's member ("archive.zip#member"); for an archive
  /// file, the same for each of its ROM members (.smc, .sfc, .fig or .swc; the one file of a
  /// .gz), read in one pass. Any thread may call it.
  static std::vector<RomRead> ReadRoms(const std::string& path);

  // Adding entries.
  /// Identifies the ROM file and appends its record unless a rule refuses it (after a message).
  /// An archive file adds each ROM it holds: true when any was added.
  bool AddRom(const std::string& path);
  /// Appends a ROM that ReadRomFile accepted unless a duplicate rule refuses it (after a message).
  bool AddIdentifiedRom(std::unique_ptr<RomRecord> rom);
  /// False, after a message, when the record duplicates an installed ROM other than the one at
  /// `skipIndex` (-1 for none) by file name, digest, or internal name and size word.
  bool CanAddRom(const RomRecord& rom, int skipIndex);
  /// False, after a message, when another patch has the same file name, byte for byte.
  bool CanAddPatch(const PatchRecord& patch, int skipIndex);
  /// Installs the .ips file at `path` with the information read from its patch-information
  /// file; `editPatchInfo` is asked when there is no such file or it does not read cleanly.
  /// True when the patch was appended.
  bool InstallPatch(const std::string& path, const PatchInfoEditor& editPatchInfo);
  /// The first installed ROM whose file is the ROM a BPS or UPS patch was made for, with or
  /// without its copier header (the whole file preferred); nullptr when there is none.
  const RomRecord* FindPatchSourceRom(const PatchSummary& patch) const;
  /// What is wrong with what a BPS or UPS patch (`bytes`, read as `patch`) makes of the
  /// installed ROM it was made for, as sentences; "" when it makes its target.
  static std::string WrongPatchResult(const std::string& bytes, const PatchSummary& patch,
                                      const RomRecord& rom);

  // Patch-information files.
  /// The patch-information file of an .ips path: the path cut at its last ".", plus ".dat".
  static std::string PatchInfoPath(const std::string& ipsPath);
  /// The patch-information file to read for an .ips path: PatchInfoPath when it exists, else
  /// the one file beside it whose name differs from it only in letter case.
  static std::string FindPatchInfoFile(const std::string& ipsPath);
  /// Reads the text of a patch-information file into `patch`; false when a line was not an
  /// assignment of a known key. Its size word follows the size text read.
  bool ReadPatchInfo(const std::string& text, PatchRecord& patch);

  // Playing, with CPatchPlayer (play/), where these two are defined.
  /// Plays the patch at an index: 1 when the emulator ran and everything is back, 0 otherwise.
  int PlayPatch(int index);
  /// Plays the patch set at an index, its patches applied in order, as PlayPatch plays a patch.
  int PlayPatchSet(int setIndex);
  /// Puts back what a play cut short by a crash left changed; false when there was nothing.
  bool RecoverInterruptedPlay();
  /// Removes what writes cut short by a crash left beside brindle.dat, the play journal and the
  /// emulator's configuration. Only for a holder of the database's lock.
  void RemoveLitter() const;

  // The database file.
  /// The path of brindle.dat, recorded by Load. Plays keep their journal in the same folder.
  void SetDatabasePath(const std::string& path) { m_databasePath = path; }
  const std::string& DatabasePath() const { return m_databasePath; }
  /// 0 when the file was read, 1 when it does not exist, -1 when it exists but cannot be read.
  int Load(const std::string& path);
  /// Reads the bytes of a database file as Load does once it has read them.
  void LoadBytes(std::string_view bytes);
  /// Writes the whole database safely; false (after a message) when it could not be written.
  bool Save(const std::string& path);
  /// The message of a failed write, with the system's reason.
  void ReportWriteFailure(const std::string& reason) const;
  /// The [vars] lines Save writes: the settings as they stand.
  std::string SettingsText() const;
  /// The exact bytes Save writes.
  std::string Serialize() const;
  /// The same bytes handed to `piece` in order, in pieces of about kTextPieceBytes as they are
  /// made, so that a writer can begin while the rest is still being put together.
  void Serialize(const TextPieceSink& piece) const;
  bool ParsePatchLine(std::string_view text);
  bool ParseRomLine(std::string_view text);
  /// Reads one line of the [sets] section into the set being read; FinishSetLines ends that set
  /// (appended, or reported with its Set= line and dropped).
  void ParseSetLine(std::string_view text);
  void FinishSetLines();

  /// The sections of brindle.dat, in the order they are written.
  enum class FileSection { None, Vars, Patches, Roms, Sets };
  /// A section this version does not know (a later one wrote it): its lines as read, label
  /// first, written back unchanged after the known section it followed.
  struct KeptSection {
    FileSection after = FileSection::None;
    std::vector<std::string> lines;
  };
  /// Begins a kept section at its label line; the reader appends its lines.
  KeptSection& KeepSection(FileSection after, std::string_view label);
  const std::vector<KeptSection>& KeptSections() const { return m_keptSections; }

  // Settings.
  void SetDefaults();
  CVariableTable& Variables() { return m_variables; }

  // Diagnostics quoting the database's own line context.
  void ReportError(const std::string& message) const;
  void ReportLineError(const std::string& message) const;
  void ReportLineWarning(const std::string& message) const;
  LineContext& GetLineContext() { return m_lineContext; }
  /// What a play's messages name: "patch", or "patch set" while a set is played.
  const char* PlayedNoun() const { return m_playingSet ? "patch set" : "patch"; }
  /// The sentence a play's failure ends with: "The patch was not played." or its set's form.
  std::string NotPlayed() const { return std::string("The ") + PlayedNoun() + " was not played."; }
  void SetPlayingSet(bool playingSet) { m_playingSet = playingSet; }

  // The settings, in registration order.
  std::string ZSNES;
  std::string ZSNESVer;
  std::string ZConfig;
  std::string ZExecutable;
  bool UseSaveDir = false;
  bool IgnoreHash = false;
  bool IgnoreParens = false;
  bool AllowEdit = false;
  bool RegisterAtStartup = false;
  bool AlwaysOpenGUI = false;
  std::string WindowBackground;
  bool GridLines = false;
  int32_t FileIcon = 0;
  int32_t Transition = 0;
  int32_t TransSpeed = 0;
  // Written only when not empty (a file without them goes back as it was).
  std::string Emulator;       // "" or "zsnes": ZSNES; "retroarch"; "mednafen"; "other"
  std::string RetroArch;      // the RetroArch program
  std::string RetroArchCore;  // the libretro core it runs
  std::string Mednafen;       // the Mednafen program
  std::string OtherCommand;   // the other emulator's command, with %ROM%
  std::string OtherFormats;   // the patch formats it loads: "ips,bps,ups"; empty: IPS alone

 private:
  void RegisterSettings();
  void WriteSets(std::string& out) const;
  void WriteKeptSections(std::string& out, FileSection after) const;
  /// Serialize's work, with its bytes handed to `piece` as they fill one when it is given.
  void SerializeInto(std::string& out, const TextPieceSink* piece) const;

  UserPrompt& m_prompt;
  CFieldStore m_fieldStore;  // the texts the records read from files borrow; outlives them
  // Owned: made in m_fieldStore by the file reader, or handed over by AppendPatch/AppendRom.
  std::vector<PatchRecord*> m_patches;
  std::vector<RomRecord*> m_roms;
  std::vector<std::unique_ptr<PatchSetRecord>> m_sets;
  std::vector<KeptSection> m_keptSections;
  std::unique_ptr<PatchSetRecord> m_readingSet;  // the set whose lines are being read
  LineContext m_readingSetLine;                  // its Set= line
  CVariableTable m_variables;
  std::string m_databasePath;
  LineContext m_lineContext;
  bool m_playingSet = false;
  uint64_t m_changes = 0;
  mutable size_t m_serializedSize = 0;  // of the last Serialize: the next one's first guess
};
