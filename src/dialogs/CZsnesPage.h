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
class QLineEdit;
class UserPrompt;

/// The Options dialog's emulator page: which emulator plays the patches, and its settings. For
/// ZSNES where it is installed, which build it is, and the program and configuration file, which
/// follow the directory and the build as they change; for RetroArch its program and core; for
/// Mednafen its program. Only the chosen emulator's fields show; the others keep theirs.
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
  };

  /// Asks for a folder; nothing when the user cancels.
  using FolderChooser = std::function<std::optional<std::string>(QWidget* parent)>;

  /// `installed` fills the fields of an emulator that has no settings yet.
  CZsnesPage(const CPatchDB& db, UserPrompt& prompt, QWidget* parent,
             const InstalledEmulators& installed = FindInstalledEmulators());

  /// Replaces the folder picker that Browse opens.
  void SetFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }

  /// Writes the page into the settings.
  void Store(CPatchDB& db) const;

 private:
  void CreateWidgets();
  void LoadFields(const CPatchDB& db, const InstalledEmulators& installed);
  void ConnectWidgets();
  void ConnectEmulatorFields();
  /// Shows the fields of the emulator chosen in the list, hides the others'.
  void ShowEmulatorFields();

  void DeriveFileNames();
  void Browse();
  void SetDirectory(const std::string& bytes);

  QLineEdit* m_directory = nullptr;
  QComboBox* m_version = nullptr;
  QCheckBox* m_saveWithPatches = nullptr;
  QLineEdit* m_executable = nullptr;
  QLineEdit* m_config = nullptr;
  QComboBox* m_emulator = nullptr;
  QLineEdit* m_retroArch = nullptr;
  QComboBox* m_retroArchCore = nullptr;
  QLineEdit* m_mednafen = nullptr;
  // Each emulator's widgets, by EmulatorKind.
  std::vector<QWidget*> m_emulatorWidgets[kEmulatorCount];
  FolderChooser m_chooseFolder;
  // The three texts as they will be stored: what the settings held until the user types, picks
  // or the names are derived.
  std::string m_directoryBytes;
  std::string m_executableBytes;
  std::string m_configBytes;
  std::string m_retroArchBytes;
  std::string m_retroArchCoreBytes;
  std::string m_mednafenBytes;
  // Whether the user changed an emulator's fields: they are stored even when another emulator
  // is chosen.
  bool m_edited[kEmulatorCount] = {};
};
