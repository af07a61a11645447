#pragma once

#include <QDialog>
#include <QKeySequence>
#include <QPixmap>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/MainDlgEnvironment.h"
#include "db/CDatabaseWriter.h"
#include "db/CPatchDB.h"
#include "platform/CDatabaseLock.h"
#include "prompt/CHeldPrompt.h"
#include "prompt/CStoppablePrompt.h"
#include "ui/CBackground.h"
#include "ui/CTransition.h"

class CListPane;
struct ListPaneLayout;
class CSortListCtrl;
class QAction;
class QMenu;
class QMenuBar;
class QPushButton;

/// The program's one window: the installed patches above, the installed ROMs below (a CListPane
/// each), and every command. Owns the database. Rows refer to records by their index, kept as
/// the row's item value, and the lists read their texts from the records.
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
    kHelp = 32791,
    kMakePatchSet = 32792,
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
    kInstalledPatchesLabel = 1046,
  };

  /// Builds the window, and meanwhile takes the database's lock and reads the database.
  CMainDlg(UserPrompt& prompt, MainDlgEnvironment environment, QWidget* parent = nullptr);
  ~CMainDlg() override;

  /// The start-up steps that run before the window is first shown: the database as read (or
  /// the first run), its messages, registration, background, the command-line patch, lists,
  /// opening animation and filling. False when the window has already ended (a fatal load, or a
  /// command-line play after which the window is not wanted); Run must then not be called.
  bool Initialize(const std::string& commandLineFile);
  /// The program's main loop: runs the window, modal, until it ends.
  void Run();
  /// The shutdown steps after the window has ended: the write in flight finished, the database
  /// written when it changed since, and the file type registered again.
  void Shutdown();
  /// Writes the database when it changed since it was last written, on the writer's thread: the
  /// window goes on at once.
  void SaveChanges();
  /// Waits until what SaveChanges asked for is on disk (or has failed, and been reported).
  void WaitForWrites();
  /// Ends the window as Close does, but without the animation (a termination signal).
  void CloseWithoutAnimation();

  /// The database; not to be touched before Initialize, as it is read on a thread till then.
  CPatchDB& Database() { return m_db; }
  CListPane* PatchPane() const { return m_patchPane; }
  CListPane* RomPane() const { return m_romPane; }
  CSortListCtrl* PatchList() const;
  CSortListCtrl* RomList() const;
  CTransition& Transition() { return m_transition; }
  const CBackground& Background() const { return m_background; }
  bool SaveAtExit() const { return m_saveAtExit; }
  std::string DatabasePath() const { return m_env.databaseDir + "/brindle.dat"; }

  // The lists.
  void FillPatchList();
  void FillRomList();
  /// Shows the records' current texts in every row of a list, or in one (selected again).
  void RefreshRows(CSortListCtrl& list);
  void RefreshRow(CSortListCtrl& list, int row);
  /// The text of a column of the patch or ROM list for a record; `scratch` holds it when it is
  /// put together for the list.
  std::string_view PatchCellText(int index, int column, std::string& scratch) const;
  std::string_view RomCellText(int index, int column, std::string& scratch) const;
  /// The ROM's name as listed: the parentheses rule and the forced name applied, in brackets
  /// when it differs from the name read from the file.
  std::string RomDisplayName(const RomRecord& rom) const;
  /// Selects the row with an item value, if it is shown.
  void SelectRecord(CSortListCtrl& list, int index);
  /// The patch list holds a row for each patch set too, after the patches: its item value is
  /// SetRowValue of the set's index (below -1, which is no row).
  static int32_t SetRowValue(int set) { return -2 - set; }
  /// The set of a patch-list row's item value, or -1 when the row is a patch's.
  static int SetOfRowValue(int32_t value) { return value <= -2 ? -2 - value : -1; }
  std::string_view PatchSetCellText(int set, int column, std::string& scratch) const;
  /// The item value of the one patch-list row selected (a patch's or a set's), or -1 when none
  /// or several are.
  int32_t SelectedPatchEntry() const;
  /// The patch of the one patch-list row selected, or -1 (also when that row is a set's).
  int SelectedPatch() const;
  int SelectedRom() const;
  /// The selected patches, in the order of their rows, when they can make a set: 2 to 10
  /// patches (no set among them) of one ROM. Empty otherwise.
  std::vector<int> PatchesForASet() const;

  // The commands.
  /// Runs a command by id, as a menu item or button would; a disabled command does nothing.
  void RunCommand(int id);
  bool IsCommandEnabled(int id) const;
  QAction* FindAction(int id) const;
  QPushButton* FindButton(int id) const;
  QMenuBar* MenuBar() const { return m_menuBar; }
  QMenu* PatchMenu() const;
  QMenu* RomMenu() const;
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
  void MakePatchSet();
  void ShowRomProperties();
  void Close();
  /// Opens the user guide in the desktop's viewer.
  void ShowHelp();
  /// Puts the cursor in the filter field of the list the user is working in (the patch list's
  /// when neither).
  void FocusFilter();
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
  /// Takes the database's lock for the window's lifetime and reads the database, on a thread of
  /// their own while the window is being built; the database's boxes wait meanwhile.
  void StartLoading();
  /// Waits for StartLoading's thread and shows the boxes that waited.
  void FinishLoading();
  /// Whether the window holds the database's lock; false after a message when another program
  /// holds it or it could not be taken.
  bool LockDatabase();
  /// From here on the window writes every change, starting from the database as read.
  void StartWriting(bool fileExists);
  /// Shows why the last write failed, if it did and nobody has yet.
  void ReportWriteFailure();
  void BuildControls();
  /// Where the panes' controls go and what they hold.
  static const ListPaneLayout& PatchPaneLayout();
  static const ListPaneLayout& RomPaneLayout();
  void BuildMenus();
  QAction* AddAction(QMenu* menu, const QString& text, int id, const QKeySequence& shortcut = {});
  /// Runs a command without asking its enable rule (keys and double-clicks in the lists).
  void ExecuteCommand(int id);
  /// Runs the Options dialog at a page; afterwards the window follows the settings, whichever
  /// button closed it.
  void ShowOptions(OptionsPage page);
  /// Shows the window again after it stepped aside for a game.
  void ShowAgain();
  bool InstallPatch(const std::string& path);
  /// Removing a set's row: asks, and removes the set alone.
  void RemovePatchSet(int set);
  /// Removes the several patches and sets selected, after one question.
  void RemoveSelectedEntries();
  void ShowPatchSetProperties(int row, int set);
  void InstallCommandLinePatch(const std::string& path);
  int ClientTop() const;

  CStoppablePrompt m_stoppablePrompt;  // silenced by a termination signal
  UserPrompt& m_prompt;
  MainDlgEnvironment m_env;
  CHeldPrompt m_dbPrompt;
  CPatchDB m_db;
  std::unique_ptr<CDatabaseLock> m_databaseLock;
  std::thread m_loader;
  CDatabaseLock::Result m_lockResult = CDatabaseLock::Result::Failed;
  int m_loaded = -1;  // as CPatchDB::Load
  // Destroyed before the lock: it finishes its writes first.
  std::unique_ptr<CDatabaseWriter> m_writer;
  uint64_t m_generation = 0;  // of the last write asked for; 0 is the file as read
  uint64_t m_writtenChanges = 0;
  std::string m_writtenSettings;
  CBackground m_background;
  CTransition m_transition;
  bool m_saveAtExit = false;
  bool m_closing = false;
  bool m_playing = false;

  QMenuBar* m_menuBar = nullptr;
  CListPane* m_patchPane = nullptr;
  CListPane* m_romPane = nullptr;
  QPushButton* m_closeButton = nullptr;
  std::vector<std::pair<int, QAction*>> m_actions;
  QPixmap m_patchPicture;
  QPixmap m_romPicture;
};
