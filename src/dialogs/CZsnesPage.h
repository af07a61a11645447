#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

class CPatchDB;
class QCheckBox;
class QComboBox;
class QLineEdit;
class UserPrompt;

/// The Options dialog's emulator page: where ZSNES is installed, which build it is, and the
/// program and configuration file, which follow the directory and the build as they change.
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
  };

  /// Asks for a folder, starting at `start` (the folder in the directory field); nothing when the
  /// user cancels.
  using FolderChooser =
      std::function<std::optional<std::string>(QWidget* parent, const std::string& start)>;

  CZsnesPage(const CPatchDB& db, UserPrompt& prompt, QWidget* parent);

  /// Replaces the folder picker that Browse opens.
  void SetFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }

  /// Writes the page into the settings.
  void Store(CPatchDB& db) const;

 private:
  void CreateWidgets();
  void LoadFields(const CPatchDB& db);
  void ConnectWidgets();

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
  FolderChooser m_chooseFolder;
  // The bytes each path field was last shown from: the settings, a picked folder or the derived
  // names. A field gives them back while its text is unchanged.
  std::string m_directoryShown;
  std::string m_executableShown;
  std::string m_configShown;
};
