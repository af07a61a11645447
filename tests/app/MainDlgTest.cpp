#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <thread>

#include "app/CMainDlg.h"
#include "app/CQtPrompt.h"
#include "app/CSortHeaderCtrl.h"
#include "app/CSortListCtrl.h"
#include "app/CSortListModel.h"
#include "platform/CDatabaseLock.h"
#include "play/CPlayJournal.h"
#include "play/PlayWorld.h"
#include "support/RomImage.h"

namespace {

const char kVars[] =
    "[vars]\r\nZSNES=/opt/zsnes/\r\nIgnoreParens=1\r\nTransition=0\r\nRegisterAtStartup=0\r\n"
    "WindowBackground=\r\n";

// A window on a brindle.dat in a temporary folder, answered by a scripted prompt.
struct Window {
  TempDir dir;
  ScriptedPrompt prompt;
  std::string chosenRom;
  // Stands in for the Patch Information dialog.
  std::function<bool(PatchRecord&, bool allowEdit)> editPatch;
  std::unique_ptr<CMainDlg> dlg;
  std::vector<int> optionPages;
  std::vector<std::string> romsShown;  // by the ROM Information dialog
  /// What the user does in the Options dialog.
  std::function<void(CPatchDB&)> inOptions;

  explicit Window(const std::string& database, const std::string& folder = "") {
    const std::string app = folder.empty() ? dir.Path() : folder;
    if (!database.empty())
      TempDir::WriteTo(app + "/brindle.dat", database);
    MainDlgEnvironment env;
    env.appDir = app;
    env.databaseDir = app;
    env.executablePath = "/usr/bin/brindle";
    env.chooseRomFile = [this](QWidget*) { return chosenRom; };
    env.findEmulators = [] { return InstalledEmulators{}; };
    env.editRomInfo = [this](RomRecord& rom, CPatchDB&, UserPrompt&, QWidget*) {
      romsShown.push_back(rom.RomName);
      return false;
    };
    env.editPatchInfo = [this](PatchRecord& p, bool allowEdit, UserPrompt&, QWidget*) {
      return editPatch(p, allowEdit);
    };
    env.showOptions = [this](CPatchDB& db, OptionsPage page, const std::string&, UserPrompt&,
                             QWidget*) {
      optionPages.push_back(page);
      if (inOptions)
        inOptions(db);
    };
    dlg = std::make_unique<CMainDlg>(prompt, env);
    dlg->Transition().SetSleeper([](int) {});
  }
  bool Start(const std::string& commandLine = "") { return dlg->Initialize(commandLine); }
  std::vector<std::string> Column(CSortListCtrl* list, int column) const {
    std::vector<std::string> texts;
    for (int r = 0; r < list->GetRowCount(); ++r)
      texts.push_back(list->GetRowText(r, column));
    return texts;
  }
};

std::string Database(const std::string& patches, const std::string& roms) {
  return std::string(kVars) + "[patches]\r\n" + patches + "[roms]\r\n" + roms;
}

const std::string kPatches =
    "Zeta|Ann|1.0|d|/p/zeta.ips|EARTH BOUND (J)|24Mbit|\r\n"
    "Alpha|Bob|2.0|d|/p/alpha.ips|GAME|8Mbit No header|0123\r\n"
    "Mid|Cy|3.0|d|/p/mid.ips|OTHER|16Mbit|\r\n";
const std::string kRoms =
    "EARTH BOUND (J)|24Mbit|/r/eb.smc|d1|\r\n"
    "GAME|8Mbit (No header)|/r/game.smc|d2|Forced Name\r\n"
    "OTHER|16Mbit|/r/other.smc|d3|OTHER\r\n"
    "PLAIN|16Mbit|/r/plain.smc|d4|\r\n";

}  // namespace

TEST(MainDlg, ListsShowTheDatabaseInItsOrder) {
  Window w(Database(kPatches, kRoms));
  ASSERT_TRUE(w.Start());
  EXPECT_EQ(w.dlg->windowTitle(), "SNES Brindle");
  CSortListCtrl* patches = w.dlg->PatchList();
  ASSERT_EQ(patches->GetColumnCount(), 6);
  EXPECT_EQ(w.Column(patches, 0), (std::vector<std::string>{"Zeta", "Alpha", "Mid"}));
  EXPECT_EQ(w.Column(patches, 3),
            (std::vector<std::string>{"EARTH BOUND (J) (24Mbit)", "GAME (8Mbit No header)",
                                      "OTHER (16Mbit)"}));
  EXPECT_EQ(patches->GetRowText(1, 5), "0123");
  for (int r = 0; r < 3; ++r)
    EXPECT_EQ(patches->GetItemValue(r), r);
  // Version and ROM Digest start hidden and come back at their widths.
  EXPECT_FALSE(patches->GetHeaderCtrl()->IsColumnVisible(2));
  EXPECT_FALSE(patches->GetHeaderCtrl()->IsColumnVisible(5));
  patches->GetHeaderCtrl()->ShowColumn(2, true);
  patches->GetHeaderCtrl()->ShowColumn(5, true);
  EXPECT_EQ(patches->GetHeaderCtrl()->sectionSize(2), 100);
  EXPECT_EQ(patches->GetHeaderCtrl()->sectionSize(5), 200);

  // Shown names: parentheses dropped, forced names, brackets when the name is not the file's.
  EXPECT_EQ(w.Column(w.dlg->RomList(), 0),
            (std::vector<std::string>{"[EARTH BOUND]", "[Forced Name]", "OTHER", "PLAIN"}));
  EXPECT_EQ(w.Column(w.dlg->RomList(), 1),
            (std::vector<std::string>{"24Mbit", "8Mbit (No header)", "16Mbit", "16Mbit"}));
  w.dlg->Database().IgnoreParens = false;
  w.dlg->RefreshRows(*w.dlg->RomList());
  EXPECT_EQ(w.dlg->RomList()->GetRowText(0, 0), "EARTH BOUND (J)");

  // A patch without target shows a blank and empty parentheses.
  auto bare = std::make_unique<PatchRecord>();
  bare->PatchName = "Bare";
  w.dlg->Database().AppendPatch(std::move(bare));
  w.dlg->FillPatchList();
  EXPECT_EQ(patches->GetRowText(3, 3), " ()");
  EXPECT_TRUE(w.prompt.boxes.empty());
}

TEST(MainDlg, CommandsFollowTheSelection) {
  Window w(Database(kPatches, kRoms));
  ASSERT_TRUE(w.Start());
  const int selectionCommands[] = {CMainDlg::kPlay, CMainDlg::kRemovePatch, CMainDlg::kRemoveRom,
                                   CMainDlg::kRomProperties};
  for (int id : selectionCommands)
    EXPECT_FALSE(w.dlg->FindAction(id)->isEnabled()) << id;
  for (int id : {CMainDlg::kPlayButton, CMainDlg::kRemovePatchButton, CMainDlg::kRemoveRomButton})
    EXPECT_FALSE(w.dlg->FindButton(id)->isEnabled()) << id;
  for (int id : {CMainDlg::kPatchProperties, CMainDlg::kAddPatch, CMainDlg::kAddRom,
                 CMainDlg::kOptions, CMainDlg::kExit}) {
    EXPECT_TRUE(w.dlg->FindAction(id)->isEnabled()) << id;
  }
  w.dlg->PatchList()->SelectRow(1);
  EXPECT_TRUE(w.dlg->FindButton(CMainDlg::kPlayButton)->isEnabled());
  EXPECT_TRUE(w.dlg->FindButton(CMainDlg::kRemovePatchButton)->isEnabled());
  EXPECT_TRUE(w.dlg->FindAction(CMainDlg::kPlay)->isEnabled());
  EXPECT_FALSE(w.dlg->FindButton(CMainDlg::kRemoveRomButton)->isEnabled());
  w.dlg->RomList()->SelectRow(0);
  EXPECT_TRUE(w.dlg->FindButton(CMainDlg::kRemoveRomButton)->isEnabled());
  EXPECT_TRUE(w.dlg->FindAction(CMainDlg::kRomProperties)->isEnabled());

  // The texts of the menus, separators included.
  auto texts = [](QMenu* menu) {
    QStringList list;
    for (QAction* a : menu->actions())
      list << (a->isSeparator() ? "-" : a->text());
    return list.join("|").toStdString();
  };
  EXPECT_EQ(texts(w.dlg->PatchMenu()),
            "Play This &Patch     \tSpace|-|&Remove Patch            \tDel|Install &New Patch..."
            "\t|Make Patch &Set...|-|P&roperties...");
  EXPECT_EQ(texts(w.dlg->RomMenu()),
            "&Install ROM...|&Remove ROM     \tDel|-|&Properties...\tEnter");
  QStringList bar;
  for (QAction* a : w.dlg->MenuBar()->actions())
    bar << a->text() + ":" + QString::fromStdString(texts(a->menu()));
  EXPECT_EQ(
      bar.join(" / ").toStdString(),
      "&File:Add &Folder...|-|&Quit / &Tools:&Play Selected Patch\tEnter|-|&Install "
      "Patch...|Make Patch &Set...|-|Install RO&M...|Add &Folder...|&ROM Preferences...|Configure "
      "&Emulator...|-|&Options... / &Help:Brindle &Help|-|&About...");
  // The desktop's keys.
  EXPECT_EQ(w.dlg->FindAction(CMainDlg::kExit)->shortcut(), QKeySequence("Ctrl+Q"));
  EXPECT_EQ(w.dlg->FindAction(CMainDlg::kHelp)->shortcut(), QKeySequence("F1"));
  EXPECT_EQ(w.dlg->FindAction(CMainDlg::kAddPatch)->shortcut(), QKeySequence("Ctrl+O"));
}

TEST(MainDlg, RemovingAsksAndRestoresDatabaseOrder) {
  Window w(Database(kPatches, kRoms));
  ASSERT_TRUE(w.Start());
  CSortListCtrl* patches = w.dlg->PatchList();
  patches->SortByColumn(0, true);
  ASSERT_EQ(w.Column(patches, 0), (std::vector<std::string>{"Alpha", "Mid", "Zeta"}));
  patches->SelectRow(0);  // Alpha, record 1
  w.prompt.answers = {BoxAnswer::No};
  w.dlg->RunCommand(CMainDlg::kRemovePatchButton);
  ASSERT_EQ(w.prompt.boxes.size(), 1u);
  EXPECT_EQ(w.prompt.boxes[0].text,
            "Are you sure you want to remove the patch \"Alpha\" from the database?\n\nThis will "
            "NOT remove the IPS file from your hard drive.");
  EXPECT_EQ(w.prompt.boxes[0].icon, BoxIcon::Warning);
  EXPECT_EQ(w.prompt.boxes[0].buttons, BoxButtons::YesNo);
  EXPECT_EQ(w.Column(patches, 0), (std::vector<std::string>{"Zeta", "Alpha", "Mid"}));

  patches->SelectRow(1);
  w.prompt.answers = {BoxAnswer::Yes};
  QTest::keyClick(patches, Qt::Key_Delete);
  EXPECT_EQ(w.Column(patches, 0), (std::vector<std::string>{"Zeta", "Mid"}));
  EXPECT_EQ(w.dlg->Database().GetPatchCount(), 2);

  CSortListCtrl* roms = w.dlg->RomList();
  roms->SelectRow(1);
  w.prompt.answers = {BoxAnswer::Yes};
  w.dlg->RunCommand(CMainDlg::kRemoveRom);
  EXPECT_EQ(w.prompt.boxes.back().text,
            "Are you sure you want to remove the ROM \"GAME (8Mbit (No header))\" from the "
            "database?\n\nThis will NOT remove the ROM file from your hard drive.");
  EXPECT_EQ(w.Column(roms, 0), (std::vector<std::string>{"[EARTH BOUND]", "OTHER", "PLAIN"}));
  // Del without a selection does nothing.
  const size_t boxes = w.prompt.boxes.size();
  QTest::keyClick(roms, Qt::Key_Delete);
  EXPECT_EQ(w.prompt.boxes.size(), boxes);

  // Several ROMs go after one question; properties take one ROM.
  roms->SelectRow(0);
  QTest::keyClick(roms, Qt::Key_End, Qt::ShiftModifier);
  EXPECT_FALSE(w.dlg->IsCommandEnabled(CMainDlg::kRomProperties));
  w.prompt.answers = {BoxAnswer::Yes};
  QTest::keyClick(roms, Qt::Key_Delete);
  EXPECT_EQ(w.prompt.boxes.back().text,
            "Are you sure you want to remove 3 ROMs from the database?\n\nThis will NOT remove "
            "the ROM files from your hard drive.");
  EXPECT_EQ(w.dlg->Database().GetRomCount(), 0);
  EXPECT_EQ(roms->GetRowCount(), 0);
}

TEST(MainDlg, PlayWithoutEmulatorSaysSoAndNeverHides) {
  Window w(std::string("[vars]\r\nZSNES=\r\nTransition=0\r\n[patches]\r\n") + kPatches);
  ASSERT_TRUE(w.Start());
  w.dlg->show();
  int hides = 0;
  struct Counter : QObject {
    int* count;
    explicit Counter(int* c) : count(c) {}
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Hide)
        ++*count;
      return false;
    }
  } counter(&hides);
  w.dlg->installEventFilter(&counter);
  // Space reaches the play command even without a selection.
  QTest::keyClick(w.dlg->PatchList(), Qt::Key_Space);
  ASSERT_EQ(w.prompt.boxes.size(), 1u);
  EXPECT_EQ(w.prompt.boxes[0].text,
            "Brindle does not have a ZSNES installation configured.\n\t\t\t\t\t\t\nYou must "
            "register ZSNES with Brindle before you can run patches.");
  EXPECT_EQ(w.prompt.boxes[0].icon, BoxIcon::None);
  EXPECT_EQ(w.prompt.boxes[0].title, "Brindle");
  EXPECT_EQ(w.optionPages, std::vector<int>{kEmulatorPage});
  EXPECT_EQ(hides, 0);
  EXPECT_TRUE(w.dlg->isVisible());

  // With RetroArch chosen, ZSNES's directory does not count: RetroArch needs its core too.
  Window r(std::string("[vars]\r\nZSNES=/z/\r\nEmulator=retroarch\r\nRetroArch=/r\r\n"
                       "Transition=0\r\n[patches]\r\n") +
           kPatches);
  ASSERT_TRUE(r.Start());
  r.dlg->show();
  QTest::keyClick(r.dlg->PatchList(), Qt::Key_Space);
  EXPECT_EQ(r.prompt.Texts(),
            std::vector<std::string>{
                "Brindle does not have RetroArch set up.\n\nYou must choose its program and core "
                "in Options, on the emulator page, before you can run patches."});
  EXPECT_EQ(r.optionPages, std::vector<int>{kEmulatorPage});
}

TEST(MainDlg, AfterOptionsTheWindowFollowsTheSettings) {
  Window w(Database(kPatches, kRoms));
  ASSERT_TRUE(w.Start());
  const std::string tile = w.dir.File("tile.bmp");
  QImage(8, 8, QImage::Format_RGB32).save(QString::fromStdString(tile));
  w.inOptions = [&tile](CPatchDB& db) {
    db.GridLines = true;
    db.IgnoreParens = false;
    db.WindowBackground = tile;
  };
  w.dlg->PatchList()->SortByColumn(0, true);  // refreshed in place, not refilled
  for (int command : {CMainDlg::kOptions, CMainDlg::kConfigureZsnes, CMainDlg::kRomPreferences,
                      CMainDlg::kAbout}) {
    w.dlg->FindAction(command)->trigger();
  }
  EXPECT_EQ(w.optionPages, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_TRUE(w.dlg->PatchList()->HasGridLines());
  EXPECT_TRUE(w.dlg->RomList()->HasGridLines());
  EXPECT_TRUE(w.dlg->Background().HasPicture());
  EXPECT_EQ(w.Column(w.dlg->RomList(), 0),
            (std::vector<std::string>{"EARTH BOUND (J)", "[Forced Name]", "OTHER", "PLAIN"}));
  EXPECT_EQ(w.Column(w.dlg->PatchList(), 0), (std::vector<std::string>{"Alpha", "Mid", "Zeta"}));

  // A termination signal while a dialog is open over the window cancels that dialog too.
  bool cancelled = false;
  w.inOptions = [&w, &cancelled](CPatchDB&) {
    QDialog options(w.dlg.get());
    QTimer::singleShot(0, [&w] { w.dlg->CloseWithoutAnimation(); });
    QTimer::singleShot(5000, &options, [&options] { options.done(2); });
    cancelled = options.exec() == QDialog::Rejected;
  };
  w.dlg->RunCommand(CMainDlg::kOptions);
  EXPECT_TRUE(cancelled);
}

TEST(MainDlg, PlaysThroughARealEmulator) {
  PlayWorld world;
  world.db.Transition = 0;
  world.db.RegisterAtStartup = false;
  world.db.WindowBackground.clear();
  ASSERT_TRUE(world.db.Save(world.dir.File("brindle.dat")));
  Window w("", world.dir.Path());
  ASSERT_TRUE(w.Start());
  w.dlg->show();
  // With the emulator set but no row selected, Space does nothing. (Shown with the keyboard,
  // the list has its first row chosen.)
  w.dlg->PatchList()->clearSelection();
  QTest::keyClick(w.dlg->PatchList(), Qt::Key_Space);
  EXPECT_FALSE(PathExists(world.record));
  w.dlg->PatchList()->SelectRow(0);
  // A key Qt cannot name comes as code 0: it is not a double-click.
  QKeyEvent unnamed(QEvent::KeyPress, 0, Qt::NoModifier, "\u00e9");
  QApplication::sendEvent(w.dlg->PatchList(), &unnamed);
  EXPECT_FALSE(PathExists(world.record));
  QTest::mouseDClick(
      w.dlg->PatchList()->viewport(), Qt::LeftButton, {},
      w.dlg->PatchList()->visualRect(w.dlg->PatchList()->GetModel()->index(0, 0)).center());
  EXPECT_TRUE(w.prompt.boxes.empty());
  const std::string record = ReadFileBytes(world.record);
  EXPECT_NE(record.find("arg=" + world.playName + "\n"), std::string::npos) << record;
  EXPECT_NE(record.find("play=yes"), std::string::npos);
  EXPECT_TRUE(w.dlg->isVisible());
  world.ExpectPutBack();
}

TEST(MainDlg, AddRomInstallsTheChosenFile) {
  Window w(Database("", ""));
  ASSERT_TRUE(w.Start());
  w.chosenRom = w.dir.Write("roms/new.smc", "");
  ASSERT_TRUE(MakeRomImage(w.chosenRom, 1048576 + 512, 512 + 0xFFC0, "NEW GAME"));
  w.dlg->RunCommand(CMainDlg::kAddRomButton);
  ASSERT_EQ(w.dlg->RomList()->GetRowCount(), 1);
  EXPECT_EQ(w.dlg->RomList()->GetRowText(0, 0), "NEW GAME");
  EXPECT_EQ(w.dlg->RomList()->GetRowText(0, 1), "8Mbit ");
  // The same file again is refused by the database; cancelling changes nothing.
  w.dlg->RunCommand(CMainDlg::kAddRom);
  EXPECT_EQ(w.prompt.boxes.size(), 1u);
  w.chosenRom.clear();
  w.dlg->RunCommand(CMainDlg::kAddRom);
  EXPECT_EQ(w.dlg->RomList()->GetRowCount(), 1);
}

TEST(MainDlg, FirstRunWelcomesAndSavesDefaultsAtExit) {
  Window w("");
  ASSERT_TRUE(w.Start());
  ASSERT_EQ(w.prompt.boxes.size(), 2u);
  EXPECT_EQ(w.prompt.boxes[0].text,
            "Welcome to Brindle!\n\t\t\t\nPlease take a moment to configure Brindle's ZSNES "
            "settings.");
  EXPECT_EQ(w.prompt.boxes[0].icon, BoxIcon::Information);
  EXPECT_EQ(w.prompt.boxes[1].text,
            "ZSNES has not been properly configured.\n\t\t\t\t\nYou will have to specify a ZSNES "
            "installation directory before you can run patches with this program.");
  EXPECT_EQ(w.prompt.boxes[1].icon, BoxIcon::Warning);
  EXPECT_EQ(w.optionPages, std::vector<int>{kEmulatorPage});
  EXPECT_TRUE(w.dlg->SaveAtExit());
  w.dlg->Shutdown();
  const std::string saved = ReadFileBytes(w.dir.File("brindle.dat"));
  EXPECT_EQ(
      saved.rfind("[vars]\r\nZSNES=\r\nZSNESVer=\r\nZConfig=\r\nZExecutable=\r\nUseSaveDir=0\r\n"
                  "IgnoreHash=0\r\nIgnoreParens=1\r\n",
                  0),
      0u);

  // A termination signal while the welcome box is up: nothing more is asked or opened, and
  // what there is gets saved.
  Window stopped("");
  stopped.prompt.onAsk = [&stopped](const BoxRequest&) { stopped.dlg->CloseWithoutAnimation(); };
  EXPECT_FALSE(stopped.Start(stopped.dir.File("new.ips")));
  EXPECT_EQ(stopped.prompt.boxes.size(), 1u);
  EXPECT_TRUE(stopped.optionPages.empty());
  EXPECT_TRUE(stopped.dlg->SaveAtExit());
}

TEST(MainDlg, TerminationDuringAStartUpBoxClosesItAndNothingMoreIsAsked) {
  // Real boxes and a real dialog, which the window must close itself: the welcome box of a first
  // run (a box of its own, over no window), then the Patch Information dialog of a new patch on
  // the command line, whose cancelling would otherwise bring up a box of its own.
  for (const bool firstRun : {true, false}) {
    TempDir dir;
    if (!firstRun)
      TempDir::WriteTo(dir.File("brindle.dat"), Database("", ""));
    const std::string patch = dir.Write("new.ips", "PATCHEOF");
    CQtPrompt prompt;
    MainDlgEnvironment env;
    env.appDir = env.databaseDir = dir.Path();
    bool optionsShown = false;
    env.showOptions = [&](CPatchDB&, OptionsPage, const std::string&, UserPrompt&, QWidget*) {
      optionsShown = true;
    };
    env.editPatchInfo = [](PatchRecord&, bool, UserPrompt&, QWidget* parent) {
      QDialog info(parent);
      return info.exec() == QDialog::Accepted;
    };
    CMainDlg dlg(prompt, env);
    std::vector<std::string> seen;
    QWidget* last = nullptr;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || modal == last)
        return;
      last = modal;
      seen.push_back(modal->metaObject()->className());
      // The box before the Patch Information dialog is answered; the signal comes in the dialog.
      if (auto* box = qobject_cast<QMessageBox*>(modal); box && !firstRun)
        box->accept();
      else
        dlg.CloseWithoutAnimation();
    });
    poll.start(20);
    EXPECT_FALSE(dlg.Initialize(patch));
    const std::vector<std::string> expected =
        firstRun ? std::vector<std::string>{"QMessageBox"}
                 : std::vector<std::string>{"QMessageBox", "QDialog"};
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(optionsShown);
    dlg.Shutdown();
    EXPECT_TRUE(PathExists(dir.File("brindle.dat")));
  }
}

TEST(MainDlg, UnreadableDatabaseIsFatalAndNeverOverwritten) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("brindle.dat"));
  Window w("", dir.Path());
  EXPECT_FALSE(w.Start());
  ASSERT_EQ(w.prompt.boxes.size(), 1u);
  EXPECT_EQ(w.prompt.boxes[0].text,
            "Brindle encountered fatal errors during initialization and must close.\n\t\t\t\nYou "
            "can either manually repair the brindle.dat file, or delete it to reconfigure the "
            "program.\n\t\t\t\nIf you delete the file, you will have to reconfigure emulator, "
            "ROM, and patch settings.");
  EXPECT_EQ(w.prompt.boxes[0].icon, BoxIcon::Error);
  EXPECT_FALSE(w.dlg->SaveAtExit());
  w.dlg->Shutdown();
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("brindle.dat")));
}

TEST(MainDlg, DatabaseMessagesWaitForStartUpAndComeInOrderOnTheWindowsThread) {
  // The database is read on a thread while the window is built; its boxes wait for Initialize.
  Window w(Database("Zeta|Ann|1.0|d|/p/zeta.ips|EARTH BOUND (J)|24Mbit|\r\nbroken\r\n",
                    "NOSIZE||/r/n.smc|d1|\r\nPLAIN|16Mbit|/r/plain.smc|d4|\r\n"));
  std::vector<std::thread::id> threads;
  w.prompt.onAsk = [&threads](const BoxRequest&) { threads.push_back(std::this_thread::get_id()); };
  EXPECT_TRUE(w.prompt.boxes.empty());
  ASSERT_TRUE(w.Start());
  EXPECT_EQ(w.prompt.Texts(),
            (std::vector<std::string>{
                "On line 9:\nbroken\nPatch entry contains errors:\n\nERROR P02: Patch filename "
                "not specified.\nERROR P03: Target ROM name not specified.\nERROR P04: Target ROM "
                "size not specified.",
                "On line 11:\nNOSIZE||/r/n.smc|d1|\nGame entry contains errors:\n\nERROR G02: ROM "
                "size not specified."}));
  EXPECT_EQ(threads, std::vector<std::thread::id>(2, std::this_thread::get_id()));
  EXPECT_EQ(w.Column(w.dlg->PatchList(), 0), std::vector<std::string>{"Zeta"});
  EXPECT_EQ(w.Column(w.dlg->RomList(), 0), std::vector<std::string>{"PLAIN"});
}

TEST(MainDlg, CommandLinePlayEndsWithoutWindowUnlessAskedFor) {
  for (bool alwaysOpen : {false, true}) {
    PlayWorld world;
    world.db.Transition = 1;
    world.db.RegisterAtStartup = false;
    world.db.AlwaysOpenGUI = alwaysOpen;
    ASSERT_TRUE(world.db.Save(world.dir.File("brindle.dat")));
    Window w("", world.dir.Path());
    int waits = 0;
    w.dlg->Transition().SetSleeper([&](int) { ++waits; });
    const std::string patch = world.patchFolder + "Game (fixed).ips";
    EXPECT_EQ(w.Start(patch), alwaysOpen);
    EXPECT_NE(ReadFileBytes(world.record).find("play=yes"), std::string::npos);
    EXPECT_EQ(waits, alwaysOpen ? 48 : 0);  // no opening animation for a window never shown
    w.dlg->Shutdown();
    EXPECT_EQ(ReadFileBytes(world.dir.File("brindle.dat")), w.dlg->Database().Serialize());
    world.ExpectPutBack();
  }
}

TEST(MainDlg, ClosingRunsTheAnimationEnterDoesNot) {
  Window w(std::string("[vars]\r\nZSNES=/z/\r\nTransition=2\r\nTransSpeed=150\r\n"));
  int waits = 0;
  w.dlg->Transition().SetSleeper([&](int ms) {
    ++waits;
    EXPECT_EQ(ms, 50);
  });
  ASSERT_TRUE(w.Start());
  EXPECT_EQ(waits, 48);
  w.dlg->show();
  QTest::keyClick(w.dlg.get(), Qt::Key_Return);
  EXPECT_TRUE(w.dlg->isVisible());
  EXPECT_EQ(waits, 48);
  // Escape does not close the window; Exit does.
  QTest::keyClick(w.dlg.get(), Qt::Key_Escape);
  EXPECT_TRUE(w.dlg->isVisible());
  w.dlg->RunCommand(CMainDlg::kExit);
  EXPECT_EQ(waits, 96);
  EXPECT_FALSE(w.dlg->isVisible());
  EXPECT_EQ(w.dlg->result(), QDialog::Rejected);
  EXPECT_EQ(w.dlg->Database().TransSpeed, 50);
}

TEST(MainDlg, StartUpPutsBackAnInterruptedPlayFirst) {
  PlayWorld world;
  world.db.Transition = 0;
  world.db.RegisterAtStartup = false;
  ASSERT_TRUE(world.db.Save(world.dir.File("brindle.dat")));
  // What a play killed while the emulator ran leaves behind.
  ASSERT_TRUE(RenameNoReplace(world.romFile, world.playName));
  CPlayJournal journal;
  journal.Steps = {JournalStep::Value(world.config, "SaveDirectory", "/home/me/saves"),
                   JournalStep::Rename(world.romFile, world.playName)};
  ASSERT_TRUE(journal.Create(world.journal));
  std::string config = world.configBytes;
  config.replace(config.find("SaveDirectory = /home/me/saves"), 30,
                 "SaveDirectory = " + world.patchFolder);
  TempDir::WriteTo(world.config, config);

  Window w("", world.dir.Path());
  ASSERT_TRUE(w.Start());
  ASSERT_EQ(w.prompt.boxes.size(), 1u);
  EXPECT_EQ(w.prompt.boxes[0].icon, BoxIcon::Information);
  world.ExpectPutBack();
}

TEST(MainDlg, BlankAreaClicksOtherButtonsAndEnterActAsOnTheDesktop) {
  Window w(Database(kPatches, kRoms));
  ASSERT_TRUE(w.Start());
  w.dlg->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.dlg.get()));
  CSortListCtrl* patches = w.dlg->PatchList();
  QWidget* area = patches->viewport();
  const QPoint blank(10, area->height() - 5);
  const QPoint firstRow = patches->visualRect(patches->GetModel()->index(0, 0)).center();

  // Right and middle double-clicks on a row select it but play nothing (playing this patch
  // would report its missing ROM).
  for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton})
    QTest::mouseDClick(area, button, {}, firstRow);
  EXPECT_EQ(patches->GetFirstSelected(), 0);
  EXPECT_TRUE(w.prompt.boxes.empty());

  // A click below the rows clears the selection, so a double-click there plays nothing...
  QTest::mouseClick(area, Qt::LeftButton, {}, blank);
  EXPECT_EQ(patches->GetFirstSelected(), -1);
  EXPECT_FALSE(w.dlg->FindButton(1028)->isEnabled());
  patches->SelectRow(0);
  QTest::mouseDClick(area, Qt::LeftButton, {}, blank);
  EXPECT_TRUE(w.prompt.boxes.empty());

  // ...and a right-click there opens the menu with the commands on a selection disabled.
  patches->SelectRow(0);
  QTest::mousePress(area, Qt::RightButton, {}, blank);
  QStringList enabled;
  QTimer::singleShot(50, [&enabled] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr)
      return;
    for (QAction* a : menu->actions()) {
      if (!a->isSeparator() && a->isEnabled())
        enabled << a->text();
    }
    menu->close();
  });
  QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, blank, area->mapToGlobal(blank));
  QApplication::sendEvent(area, &menuEvent);
  EXPECT_EQ(enabled.join("|").toStdString(), "Install &New Patch...\t|P&roperties...");

  // Enter presses the focused button; in the patch list it plays the selected patch (whose ROM
  // is missing).
  patches->SelectRow(0);
  w.prompt.answers.push_back(BoxAnswer::No);
  QPushButton* remove = w.dlg->FindButton(1029);
  remove->setFocus();
  QTest::keyClick(remove, Qt::Key_Return);
  ASSERT_EQ(w.prompt.boxes.size(), 1u);
  EXPECT_NE(w.prompt.boxes[0].text.find("remove the patch \"Zeta\""), std::string::npos);
  patches->SelectRow(0);
  patches->setFocus();
  QTest::keyClick(patches, Qt::Key_Return);
  ASSERT_EQ(w.prompt.boxes.size(), 2u);
  EXPECT_EQ(w.prompt.boxes[1].title, "Error!");
  EXPECT_TRUE(w.dlg->isVisible());
}

TEST(MainDlg, ColumnsFitTheWindowAndTheSelectionStaysWithItsRecord) {
  Window w(Database(kPatches, kRoms));
  ASSERT_TRUE(w.Start());
  w.dlg->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.dlg.get()));
  CSortListCtrl* patches = w.dlg->PatchList();
  // No horizontal scroll bar: the columns end at the list's right edge.
  for (CSortListCtrl* list : {patches, w.dlg->RomList()}) {
    EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(list->header()->length(), list->viewport()->width());
  }

  // Zeta (record 0) stays selected through a sort, a refused removal and a failed play (its ROM
  // file is missing), whose box comes with the window shown.
  patches->SelectRow(0);
  patches->SortByColumn(0, true);
  EXPECT_EQ(w.dlg->SelectedPatch(), 0);
  w.prompt.answers.push_back(BoxAnswer::No);
  w.dlg->RunCommand(CMainDlg::kRemovePatch);
  EXPECT_EQ(w.dlg->SelectedPatch(), 0);
  bool shownWithBox = false;
  w.prompt.onAsk = [&](const BoxRequest&) { shownWithBox = w.dlg->isVisible(); };
  w.dlg->RunCommand(CMainDlg::kPlay);
  ASSERT_EQ(w.prompt.boxes.size(), 2u);
  EXPECT_TRUE(shownWithBox);
  EXPECT_EQ(w.dlg->SelectedPatch(), 0);
}

// Enter on a selected ROM shows its information; Alt+Enter shows the properties of what is
// selected in the list in use.
TEST(MainDlg, EnterAndAltEnterShowTheSelectedEntrysInformation) {
  Window w(Database(kPatches, kRoms));
  ASSERT_TRUE(w.Start());
  w.dlg->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.dlg.get()));
  QApplication::setActiveWindow(w.dlg.get());
  std::vector<std::string> patchesShown;
  w.editPatch = [&](PatchRecord& p, bool) {
    patchesShown.push_back(p.PatchName);
    return false;
  };
  w.dlg->RomList()->SelectRow(1);
  w.dlg->RomList()->setFocus();
  QTest::keyClick(w.dlg->RomList(), Qt::Key_Return);
  QTest::keyClick(w.dlg->RomList(), Qt::Key_Return, Qt::AltModifier);
  w.dlg->PatchList()->SelectRow(2);
  w.dlg->PatchList()->setFocus();
  QTest::keyClick(w.dlg->PatchList(), Qt::Key_Return, Qt::AltModifier);
  EXPECT_EQ(w.romsShown, (std::vector<std::string>{"GAME", "GAME"}));
  EXPECT_EQ(patchesShown, std::vector<std::string>{"Mid"});
  EXPECT_TRUE(w.prompt.boxes.empty());  // nothing was played
}

TEST(MainDlg, PatchPropertiesFollowAllowEditAndRefreshTheSortedRow) {
  Window w(Database(kPatches, kRoms));
  ASSERT_TRUE(w.Start());
  std::vector<bool> editable;
  w.editPatch = [&](PatchRecord& p, bool allowEdit) {
    editable.push_back(allowEdit);
    p.PatchName += "!";
    return true;
  };
  CSortListCtrl* patches = w.dlg->PatchList();
  w.dlg->RunCommand(CMainDlg::kPatchProperties);  // nothing selected: nothing opens
  patches->SortByColumn(0, true);
  patches->SelectRow(2);  // Zeta, record 0
  w.dlg->RunCommand(CMainDlg::kPatchProperties);
  w.dlg->Database().AllowEdit = true;
  w.dlg->RunCommand(CMainDlg::kPatchProperties);
  EXPECT_EQ(editable, (std::vector<bool>{false, true}));
  EXPECT_EQ(w.Column(patches, 0), (std::vector<std::string>{"Alpha", "Mid", "Zeta!!"}));
  EXPECT_EQ(patches->GetFirstSelected(), 2);
}

TEST(MainDlg, FileDialogsListFilesWhateverTheCaseOfTheirExtension) {
  TempDir dir;
  for (const char* name :
       {"GAME.IPS", "Hack.ips", "Hack.BPS", "hack.ups", "Game.SMC", "game.Fig", "notes.txt"})
    dir.Write(std::string("files/") + name, "x");
  TempDir::WriteTo(dir.File("brindle.dat"), kVars);
  ScriptedPrompt prompt;
  MainDlgEnvironment env;  // the program's own file dialogs
  env.appDir = dir.Path();
  env.databaseDir = dir.Path();
  CMainDlg window(prompt, env);
  ASSERT_TRUE(window.Initialize(""));

  // What the dialog a command opens lists in the folder of files; then it is cancelled.
  const auto listed = [&](int command) {
    QStringList names;
    QTimer::singleShot(0, [&] {
      auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (chooser == nullptr)
        return;
      chooser->setDirectory(QString::fromStdString(dir.File("files")));
      auto* view = chooser->findChild<QListView*>("listView");
      for (int i = 0; i < 100 && view->model()->rowCount(view->rootIndex()) == 0; ++i)
        QTest::qWait(20);
      QTest::qWait(100);  // the folder is read in the background
      for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
        names << view->model()->index(r, 0, view->rootIndex()).data().toString();
      chooser->reject();
    });
    window.RunCommand(command);
    names.sort();
    return names.join(",").toStdString();
  };
  EXPECT_EQ(listed(CMainDlg::kAddPatch), "GAME.IPS,Hack.BPS,Hack.ips,hack.ups");
  EXPECT_EQ(listed(CMainDlg::kAddRom), "Game.SMC,game.Fig");
  EXPECT_TRUE(prompt.boxes.empty());

  // Each kind opens where a file of that kind was last taken from (the user's settings), or at
  // home.
  const auto opensIn = [&](int command, const std::string& take) {
    QString folder;
    QTimer::singleShot(0, [&] {
      auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (chooser == nullptr)
        return;
      folder = chooser->directory().absolutePath();
      if (take.empty()) {
        chooser->reject();
        return;
      }
      chooser->setDirectory(QString::fromStdString(dir.File("files")));
      chooser->selectFile(QString::fromStdString(take));
      static_cast<QDialog*>(chooser)->accept();  // as the dialog's Open button does
    });
    window.RunCommand(command);
    return folder.toStdString();
  };
  const std::string home = QDir::homePath().toStdString();
  EXPECT_EQ(opensIn(CMainDlg::kAddRom, "Game.SMC"), home);  // not a ROM: a box says so
  EXPECT_EQ(opensIn(CMainDlg::kAddRom, ""), dir.File("files"));
  EXPECT_EQ(opensIn(CMainDlg::kAddPatch, ""), home);
}

TEST(MainDlg, HoldsItsDatabaseForItsLifetimeAndStartsOnlyWhenItCanHaveIt) {
  const std::string bytes = Database(kPatches, kRoms);
  TempDir dir;
  const std::string database = dir.Path() + "/brindle.dat";
  {
    // The window takes the lock as it is built.
    CDatabaseLock play(database);
    ASSERT_EQ(play.Acquire("brindle-tool play", true, 0), CDatabaseLock::Result::Acquired);
    Window first(bytes, dir.Path());
    ASSERT_FALSE(first.Start());
    EXPECT_EQ(first.prompt.Texts(),
              std::vector<std::string>{
                  "The database " + database +
                  " is in use by another command that is still running (brindle-tool play, "
                  "process " +
                  std::to_string(::getpid()) + ").\n\nStart Brindle again when it has ended."});
    first.dlg->Shutdown();
    EXPECT_EQ(ReadFileBytes(database), bytes);  // not written
  }
  Window second(bytes, dir.Path());
  ASSERT_TRUE(second.Start());
  CDatabaseLock command(database);
  EXPECT_EQ(command.Acquire("brindle-tool add-rom", false, 0), CDatabaseLock::Result::Held);
  EXPECT_TRUE(command.HeldByWindow());
}
