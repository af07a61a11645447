#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "db/EmulatorChoice.h"

class CPatchDB;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class UserPrompt;

/// The Options dialog's emulator page: which emulator plays the patches, and its settings. For
/// ZSNES where it is installed, which build it is, and the program and configuration file, which
/// follow the directory and the build as they change; for RetroArch its program and core; for
/// Mednafen its program; for the other emulator its command, filled from a list of presets, and
/// the patch formats it loads. Only the chosen emulator's fields show; the others keep theirs.
class CZsnesPage final : public QWidget {
  Q_OBJECT

 public:
  enum Control {
    kDirectory = 1006,
    kVersion = 1008,
    kBrowse = 1009,
    kSaveWithPatches = 1010,
    kExecutable = 1011,
    kConfig = 1012,
    kEmulator = 1013,
    kRetroArch = 1014,
    kRetroArchCore = 1015,
    kMednafen = 1016,
    kOtherCommand = 1017,
    kOtherPreset = 1018,
    kOtherIps = 1019,
    kOtherBps = 1020,
    kOtherUps = 1021,
    kBrowseRetroArch = 1022,
    kBrowseCore = 1023,
    kBrowseMednafen = 1024,
    kBrowseExecutable = 1025,
    kBrowseConfig = 1026,
  };

  /// Asks for a folder, starting at `start` (the folder in the directory field); nothing when the
  /// user cancels.
  using FolderChooser =
      std::function<std::optional<std::string>(QWidget* parent, const std::string& start)>;

  /// `installed` fills the fields of an emulator that has no settings yet.
  CZsnesPage(const CPatchDB& db, UserPrompt& prompt, QWidget* parent,
             const InstalledEmulators& installed = FindInstalledEmulators());

  /// Asks for a file with a title, starting at `start` (the file in the field); nothing when the
  /// user cancels.
  using FileChooser = std::function<std::optional<std::string>(
      QWidget* parent, const QString& title, const std::string& start)>;

  /// Replaces the folder picker that Browse opens.
  void SetFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }
  /// Replaces the file dialog that the Browse buttons of the program and core fields open.
  void SetFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

  /// Writes the page into the settings.
  void Store(CPatchDB& db) const;

 private:
  void CreateWidgets();
  void LoadFields(const CPatchDB& db, const InstalledEmulators& installed);
  void LoadEmulatorFields(const CPatchDB& db, const InstalledEmulators& installed);
  void ConnectWidgets();
  void ConnectEmulatorFields();
  void ConnectBrowseButtons();
  /// Shows a path's bytes in a field from its start, where the folders that tell one path from
  /// another are.
  static void ShowPath(QLineEdit* field, const std::string& bytes);
  /// Asks for a file for a field (the core's included); true when one was chosen.
  bool BrowseFile(QLineEdit* field, std::string& shown, const QString& title);
  /// Shows the fields of the emulator chosen in the list, hides the others'.
  void ShowEmulatorFields();
  void StoreEmulatorFields(EmulatorKind chosen, CPatchDB& db) const;
  // The other emulator's fields.
  void CreateOtherWidgets();
  void LoadOtherFields(const EmulatorForm& form, const InstalledEmulators& installed);
  void ConnectOtherFields();
  /// Fills the command and the formats from the preset at `index` of the list.
  void ApplyPreset(int index);
  /// Shows the hint under the command while it has no %ROM%.
  void ShowCommandHint();
  std::string OtherCommandBytes() const;
  std::string OtherFormatsValue() const;

  void DeriveFileNames();
  void Browse();
  void SetDirectory(const std::string& bytes);
  /// The directory as the user means it: its bytes, with "~" for the home folder.
  std::string DirectoryPath() const;

  QLineEdit* m_directory = nullptr;
  QComboBox* m_version = nullptr;
  QCheckBox* m_saveWithPatches = nullptr;
  QLineEdit* m_executable = nullptr;
  QLineEdit* m_config = nullptr;
  QComboBox* m_emulator = nullptr;
  QLineEdit* m_retroArch = nullptr;
  QComboBox* m_retroArchCore = nullptr;
  QLineEdit* m_mednafen = nullptr;
  QLineEdit* m_otherCommand = nullptr;
  QComboBox* m_otherPreset = nullptr;
  QCheckBox* m_otherFormats[3] = {};  // IPS, BPS, UPS
  QLabel* m_commandHint = nullptr;
  std::vector<std::string> m_presetCommands;  // where each preset was found; empty: not found
  // Each emulator's widgets, by EmulatorKind.
  std::vector<QWidget*> m_emulatorWidgets[kEmulatorCount];
  FolderChooser m_chooseFolder;
  FileChooser m_chooseFile;
  QString m_zsnesSaveToolTip;
  // The bytes each path field was last shown from: the settings, a picked folder or the derived
  // names. A field gives them back while its text is unchanged.
  std::string m_directoryShown;
  std::string m_executableShown;
  std::string m_configShown;
  std::string m_retroArchShown;
  std::string m_retroArchCoreShown;
  std::string m_mednafenShown;
  std::string m_otherCommandShown;
  // Whether the user changed an emulator's fields: they are stored even when another emulator
  // is chosen.
  bool m_edited[kEmulatorCount] = {};
};
