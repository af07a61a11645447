#pragma once

#include <QDialog>
#include <QPixmap>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CAddFolderRun.h"
#include "db/CPatchDB.h"
#include "dialogs/OptionsPage.h"
#include "ui/CBackground.h"
#include "ui/CTransition.h"

class CSortListCtrl;
class FileTypeRegistry;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;

/// What the main window needs from the world around it; tests hand in their own.
struct MainDlgEnvironment {
  /// The folder of the program's own files: the page icons.
  std::string appDir;
  /// The folder of brindle.dat; plays keep their journal beside it.
  std::string databaseDir;
  /// The program's path, written into the file-type registration.
  std::string executablePath;
  /// Receives the file-type registration; none means no registration.
  FileTypeRegistry* registry = nullptr;
  /// Asks for a ROM file to install; empty when the user cancels.
  std::function<std::string(QWidget* parent)> chooseRomFile;
  /// Asks for an IPS patch file to install; empty when the user cancels.
  std::function<std::string(QWidget* parent)> choosePatchFile;
  /// Runs the Patch Information dialog on a record; true when the user confirmed it.
  std::function<bool(PatchRecord& patch, bool allowEdit, UserPrompt& prompt, QWidget* parent)>
      editPatchInfo;
  /// Runs the ROM Information dialog on a record; true when the user confirmed it.
  std::function<bool(RomRecord& rom, CPatchDB& db, UserPrompt& prompt, QWidget* parent)>
      editRomInfo;
  /// Runs the Options dialog on the database at a page; `appDir` holds the page icons.
  std::function<void(CPatchDB& db, OptionsPage page, const std::string& appDir, UserPrompt& prompt,
                     QWidget* parent)>
      showOptions;
  /// What "Add Folder..." asks for and shows.
  AddFolderEnvironment addFolder;
};

/// The program's one window: the installed patches above, the installed ROMs below, and every
/// command. Owns the database. Rows refer to records by their index, kept as the row's item
/// value.
class CMainDlg final : public QDialog {
  Q_OBJECT

 public:
  /// Command ids, as the menus and buttons give them.
  enum Command {
    kPlay = 32773,
    kRemovePatch = 32771,
    kAddPatch = 32780,
    kPatchProperties = 32772,
    kAddRom = 32779,
    kRemoveRom = 32774,
    kRomProperties = 32786,
    kRomPreferences = 32787,
    kConfigureZsnes = 32781,
    kOptions = 32782,
    kAbout = 32785,
    kExit = 32778,
    kAddFolder = 32790,
  };
  /// Control ids of the window's own controls; the buttons are commands of their own.
  enum Control {
    kCloseButton = 2,
    kPatchList = 1000,
    kRomList = 1002,
    kAddPatchButton = 1027,
    kPlayButton = 1028,
    kRemovePatchButton = 1029,
    kAddRomButton = 1030,
    kRemoveRomButton = 1031,
    kInstalledRomsLabel = 1045,
  };

  CMainDlg(UserPrompt& prompt, MainDlgEnvironment environment, QWidget* parent = nullptr);
  ~CMainDlg() override;

  /// The start-up steps that run before the window is first shown: load the database (or the
  /// first run), registration, background, the command-line patch, lists, opening animation
  /// and filling. False when the window has already ended (a fatal load, or a command-line
  /// play after which the window is not wanted); Run must then not be called.
  bool Initialize(const std::string& commandLineFile);
  /// The program's main loop: runs the window, modal, until it ends.
  void Run();
  /// The shutdown steps after the window has ended: save and register again.
  void Shutdown();
  /// Ends the window as Close does, but without the animation (a termination signal).
  void CloseWithoutAnimation();

  CPatchDB& Database() { return m_db; }
  CSortListCtrl* PatchList() const { return m_patchList; }
  CSortListCtrl* RomList() const { return m_romList; }
  CTransition& Transition() { return m_transition; }
  const CBackground& Background() const { return m_background; }
  bool SaveAtExit() const { return m_saveAtExit; }
  std::string DatabasePath() const { return m_env.databaseDir + "/brindle.dat"; }

  // The lists.
  void FillPatchList();
  void FillRomList();
  void RefreshRows(CSortListCtrl& list);
  void RefreshRow(CSortListCtrl& list, int row);
  std::vector<std::string> PatchRowTexts(int index) const;
  std::vector<std::string> RomRowTexts(int index) const;
  /// The ROM's name as listed: the parentheses rule and the forced name applied, in brackets
  /// when it differs from the name read from the file.
  std::string RomDisplayName(const RomRecord& rom) const;
  int SelectedPatch() const;
  int SelectedRom() const;

  // The commands.
  /// Runs a command by id, as a menu item or button would; a disabled command does nothing.
  void RunCommand(int id);
  bool IsCommandEnabled(int id) const;
  QAction* FindAction(int id) const;
  QPushButton* FindButton(int id) const;
  QMenuBar* MenuBar() const { return m_menuBar; }
  QMenu* PatchMenu() const { return m_patchMenu; }
  QMenu* RomMenu() const { return m_romMenu; }
  /// Applies the enable rules to the menu items and the buttons.
  void UpdateCommandStates();

  void Play();
  void RemovePatch();
  void AddRom();
  void RemoveRom();
  void AddPatch();
  /// Adds every ROM and patch below a folder the user picks.
  void AddFolder();
  void ShowPatchProperties();
  void ShowRomProperties();
  void Close();
  /// Installs each file as its command would, in order: .ips files as patches, ROM images as
  /// ROMs; anything else is passed over. Then rebuilds the lists that changed.
  void InstallFiles(const std::vector<std::string>& paths);

  /// Loads the background picture and recolours the controls over it.
  void LoadBackground();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildControls();
  void BuildMenus();
  QAction* AddAction(QMenu* menu, const QString& text, int id);
  /// Runs the Options dialog at a page; afterwards the window follows the settings, whichever
  /// button closed it.
  void ShowOptions(OptionsPage page);
  bool InstallPatch(const std::string& path);
  void InstallCommandLinePatch(const std::string& path);
  void OnPatchListKey(int key);
  void OnRomListKey(int key);
  void ShowContextMenu(CSortListCtrl& list, QMenu& menu);
  int ClientTop() const;

  UserPrompt& m_prompt;
  MainDlgEnvironment m_env;
  CPatchDB m_db;
  CBackground m_background;
  CTransition m_transition;
  bool m_saveAtExit = false;
  bool m_closing = false;
  bool m_playing = false;

  QMenuBar* m_menuBar = nullptr;
  QMenu* m_patchMenu = nullptr;
  QMenu* m_romMenu = nullptr;
  CSortListCtrl* m_patchList = nullptr;
  CSortListCtrl* m_romList = nullptr;
  QLabel* m_romLabel = nullptr;
  std::vector<std::pair<int, QAction*>> m_actions;
  std::vector<std::pair<int, QPushButton*>> m_buttons;
  QPixmap m_patchPicture;
  QPixmap m_romPicture;
};
