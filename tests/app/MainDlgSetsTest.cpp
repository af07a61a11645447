// Patch sets in the window: their rows, making one through the real dialog, their information
// and their removal; and, through the real program, a set made in the window kept on disk.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "app/BrindleProgram.h"
#include "app/CMainDlg.h"
#include "app/CSortListCtrl.h"
#include "dialogs/CMakePatchSetDlg.h"
#include "play/PlayWorld.h"
#include "support/ScriptedPrompt.h"
#include "support/XServer.h"

namespace {

const char kDatabase[] =
    "[vars]\r\nZSNES=/opt/zsnes/\r\nTransition=0\r\nRegisterAtStartup=0\r\nWindowBackground=\r\n"
    "AllowEdit=1\r\n[patches]\r\n"
    "Hack|Ann|1.0|d|/p/hack.bps|GAME|8Mbit|\r\n"
    "Fix||||/p/fix.ips|GAME|8Mbit|\r\n"
    "Other||||/p/other.ips|OTHER|16Mbit|\r\n"
    "[roms]\r\n[sets]\r\n"
    "Set=Old Set\r\nAuthor=Zed\r\nRomName=GAME\r\nRomSize=8Mbit\r\n"
    "Patch=/p/hack.bps\r\nPatch=/p/fix.ips\r\n";

struct SetWindow {
  TempDir dir;
  ScriptedPrompt prompt;
  std::function<bool(CPatchDB&, const std::vector<int>&, QWidget*)> makeSet;
  std::function<bool(PatchSetRecord&)> editSet;
  std::unique_ptr<CMainDlg> dlg;

  SetWindow() {
    TempDir::WriteTo(dir.File("brindle.dat"), kDatabase);
    MainDlgEnvironment env;
    env.appDir = env.databaseDir = dir.Path();
    env.findEmulators = [] { return InstalledEmulators{}; };
    env.makePatchSet = [this](CPatchDB& db, const std::vector<int>& patches, QWidget* parent) {
      return makeSet(db, patches, parent);
    };
    env.editPatchSetInfo = [this](PatchSetRecord& set, const CPatchDB&, bool, QWidget*) {
      return editSet(set);
    };
    dlg = std::make_unique<CMainDlg>(prompt, env);
    EXPECT_TRUE(dlg->Initialize(""));
  }
  CSortListCtrl& List() const { return *dlg->PatchList(); }
  int RowOf(const std::string& name) const {
    for (int row = 0; row < List().GetRowCount(); ++row) {
      if (List().GetRowText(row, 0) == name)
        return row;
    }
    return -1;
  }
  void Select(std::initializer_list<const char*> names) {
    List().clearSelection();
    for (const char* name : names) {
      List().selectionModel()->select(List().GetModel()->index(RowOf(name), 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
  }
  std::string Saved() {
    dlg->WaitForWrites();
    return ReadFileBytes(dir.File("brindle.dat"));
  }
};

}  // namespace

TEST(MainDlgSets, ASetHasARowOfItsOwnAndIsMadeFromSelectedPatches) {
  SetWindow w;
  w.dlg->show();
  w.dlg->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.dlg.get()));
  CSortListCtrl& list = w.List();
  // Given the keyboard at start, the list's current row is also chosen: Down chooses the next.
  EXPECT_EQ(list.GetFirstSelected(), 0);
  EXPECT_EQ(list.currentIndex().row(), 0);
  QTest::keyClick(&list, Qt::Key_Down);
  EXPECT_EQ(list.GetFirstSelected(), 1);

  // The set's row follows the patches, marked by its files' text and its icon.
  ASSERT_EQ(list.GetRowCount(), 4);
  EXPECT_EQ(list.GetRowText(3, 0), "Old Set");
  EXPECT_EQ(list.GetRowText(3, 1), "Zed");
  EXPECT_EQ(list.GetRowText(3, 3), "GAME (8Mbit)");
  EXPECT_EQ(list.GetRowText(3, 4), "Patch set: hack.bps + fix.ips");
  const auto icon = [&list](int row) {
    return list.GetModel()->index(row, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey();
  };
  EXPECT_NE(icon(3), icon(0));
  list.SortByColumn(0, true);
  EXPECT_EQ(w.RowOf("Old Set"), 2);
  list.SetFilter("PATCH SET");
  EXPECT_EQ(list.GetRowCount(), 1);
  list.SetFilter("");

  // Two patches of one ROM make a set; a patch of another ROM, or a set among them, does not.
  w.Select({"Hack", "Fix"});
  EXPECT_TRUE(w.dlg->FindAction(CMainDlg::kMakePatchSet)->isEnabled());
  EXPECT_FALSE(w.dlg->FindButton(CMainDlg::kPlayButton)->isEnabled());
  for (auto names :
       {std::initializer_list<const char*>{"Hack", "Other"}, {"Hack", "Old Set"}, {"Hack"}}) {
    w.Select(names);
    EXPECT_FALSE(w.dlg->FindAction(CMainDlg::kMakePatchSet)->isEnabled());
  }

  // The dialog offers them in the list's order; Ctrl+Down puts the first last. A name taken is
  // refused with the dialog left open; a new one adds the set, selected, and written.
  w.Select({"Hack", "Fix"});
  std::vector<bool> results;
  w.makeSet = [&](CPatchDB& db, const std::vector<int>& patches, QWidget* parent) {
    CMakePatchSetDlg dialog(db, patches, parent);
    auto* entries = dialog.findChild<QListWidget*>("Patches");
    EXPECT_EQ(entries->item(0)->text().toStdString(), "Fix  (/p/fix.ips)");
    auto* name = dialog.findChild<QLineEdit*>("SetName");
    EXPECT_EQ(name->text().toStdString(), "Fix + Hack");
    entries->setCurrentRow(0);
    QTest::keyClick(entries, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(entries->item(1)->text().toStdString(), "Fix  (/p/fix.ips)");
    EXPECT_FALSE(dialog.findChild<QPushButton*>("MoveDown")->isEnabled());
    name->setText("Old Set");
    dialog.findChild<QPushButton*>("OK")->click();
    results.push_back(dialog.result() == QDialog::Accepted);
    name->setText("New Set");
    dialog.findChild<QPushButton*>("OK")->click();
    results.push_back(dialog.result() == QDialog::Accepted);
    return dialog.result() == QDialog::Accepted;
  };
  w.dlg->RunCommand(CMainDlg::kMakePatchSet);
  EXPECT_EQ(results, (std::vector<bool>{false, true}));
  EXPECT_EQ(w.prompt.Texts(),
            std::vector<std::string>{"Error: There is already a patch set named \"Old Set\"."});
  EXPECT_EQ(w.dlg->SelectedPatchEntry(), CMainDlg::SetRowValue(1));
  EXPECT_NE(w.Saved().find("Set=New Set\r\nAuthor=\r\nVersion=\r\nDescription=\r\nRomName=GAME\r\n"
                           "RomSize=8Mbit\r\nRomDigest=\r\nPatch=/p/hack.bps\r\nPatch=/p/fix.ips"),
            std::string::npos);
}

TEST(MainDlgSets, RemovingAsksAndNamesTheSetsThatGoWithAPatch) {
  SetWindow w;
  CPatchDB& db = w.dlg->Database();
  ASSERT_TRUE(db.AddPatchSet("Second", {"/p/fix.ips", "/p/hack.bps"}));
  w.dlg->FillPatchList();

  // A set's information is edited in place, and written.
  w.List().SelectRow(w.RowOf("Second"));
  w.editSet = [](PatchSetRecord& set) {
    set.Author = "Me";
    return true;
  };
  w.dlg->RunCommand(CMainDlg::kPatchProperties);
  EXPECT_EQ(w.List().GetRowText(w.RowOf("Second"), 1), "Me");
  EXPECT_NE(w.Saved().find("Set=Second\r\nAuthor=Me\r\n"), std::string::npos);

  w.List().SelectRow(w.RowOf("Fix"));
  w.dlg->RunCommand(CMainDlg::kRemovePatch);  // answered No
  w.List().SelectRow(w.RowOf("Fix"));
  w.prompt.answers = {BoxAnswer::Yes};
  w.dlg->RunCommand(CMainDlg::kRemovePatch);
  const std::string question =
      "Are you sure you want to remove the patch \"Fix\" from the database?\n\nThe patch sets "
      "\"Old Set\" and \"Second\" use it and will be removed with it (saves stay where they "
      "are).\n\nThis will NOT remove the IPS file from your hard drive.";
  EXPECT_EQ(w.prompt.Texts(), (std::vector<std::string>{question, question}));
  EXPECT_EQ(db.GetPatchCount(), 2);
  EXPECT_EQ(db.GetSetCount(), 0);
  EXPECT_EQ(w.List().GetRowCount(), 2);

  // A set's own row asks for the set alone.
  auto set = std::make_unique<PatchSetRecord>();
  set->SetName = "Third";
  set->Patches = {"/p/hack.bps", "/p/x"};
  db.AppendSet(std::move(set));
  w.dlg->FillPatchList();
  w.prompt.boxes.clear();
  w.List().SelectRow(w.RowOf("Third"));
  w.prompt.answers = {BoxAnswer::Yes};
  w.dlg->RunCommand(CMainDlg::kRemovePatch);
  EXPECT_EQ(w.prompt.Texts(),
            std::vector<std::string>{"Are you sure you want to remove the patch set \"Third\" from "
                                     "the database?\n\nIts patches stay installed. This will NOT "
                                     "remove any file from your hard drive."});
  EXPECT_EQ(db.GetSetCount(), 0);
  EXPECT_EQ(db.GetPatchCount(), 2);
}

// Several rows go after one question that names what goes with them; refused, nothing changes.
TEST(MainDlgSets, SeveralSelectedRowsAreRemovedAfterOneQuestion) {
  SetWindow w;
  CPatchDB& db = w.dlg->Database();
  ASSERT_TRUE(db.AddPatchSet("Second", {"/p/fix.ips", "/p/hack.bps"}));
  w.dlg->FillPatchList();
  w.Select({"Hack", "Other"});
  EXPECT_FALSE(w.dlg->IsCommandEnabled(CMainDlg::kPlay));
  ASSERT_TRUE(w.dlg->IsCommandEnabled(CMainDlg::kRemovePatch));
  w.dlg->RunCommand(CMainDlg::kRemovePatch);  // answered No
  EXPECT_EQ(db.GetPatchCount(), 3);
  EXPECT_EQ(w.List().selectionModel()->selectedRows().size(), 2);

  w.Select({"Fix", "Second"});
  w.prompt.answers = {BoxAnswer::Yes};
  w.dlg->RunCommand(CMainDlg::kRemovePatch);
  EXPECT_EQ(w.prompt.Texts(),
            (std::vector<std::string>{
                "Are you sure you want to remove 2 patches from the database?\n\nThe patch sets "
                "\"Old Set\" and \"Second\" use them and will be removed with them (saves stay "
                "where they are).\n\nThis will NOT remove any file from your hard drive.",
                "Are you sure you want to remove the patch \"Fix\" and the patch set \"Second\" "
                "from the database?\n\nThe patch set \"Old Set\" uses it and will be removed with "
                "it (saves stay where they are).\n\nThis will NOT remove any file from your hard "
                "drive."}));
  EXPECT_EQ(db.GetSetCount(), 0);
  ASSERT_EQ(db.GetPatchCount(), 2);
  EXPECT_EQ(w.List().GetRowCount(), 2);
  EXPECT_EQ(w.Saved().find("/p/fix.ips"), std::string::npos);
}

// The real program under an X server: patches chosen with the keyboard, Tools > Make Patch Set,
// Enter; then a second run edits the set it read back, which its write keeps.
TEST(MainDlgSets, OnARealDisplayASetMadeInTheWindowIsWrittenAndReadBack) {
  XServer x;
  if (x.display.empty())
    GTEST_SKIP() << "needs Xvfb and xdotool";
  Program p;
  TempDir::WriteTo(p.Database(), kDatabase);
  const auto run = [&](int n, const std::string& keys) {
    const pid_t pid = p.Start(n, {}, x.display);
    const std::string window =
        x.XDoTool("search --sync --onlyvisible --name '^SNES Brindle$' 2>/dev/null | head -n 1");
    ASSERT_FALSE(window.empty()) << ReadFileBytes(p.Log(n));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    x.XDoTool("windowfocus --sync " + window + " key --delay 150 " + keys);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    x.XDoTool("windowfocus --sync " + window + " key ctrl+q");
    EXPECT_EQ(Program::Wait(pid), 0);
  };
  // The first patch is chosen at start, Shift+Down adds the second; the dialog's name field
  // has the keyboard.
  run(1, "shift+Down alt+t s ctrl+a M y space S e t Return");
  const std::string first = ReadFileBytes(p.Database());
  EXPECT_NE(first.find("Set=My Set\r\n"), std::string::npos) << first << ReadFileBytes(p.Log(1));
  // End chooses the last row, the new set's; Alt+Enter opens its information.
  run(2, "End alt+Return Tab ctrl+a M e Return");
  const std::string second = ReadFileBytes(p.Database());
  EXPECT_NE(second.find("Set=My Set\r\nAuthor=Me\r\n"), std::string::npos)
      << second << ReadFileBytes(p.Log(2));
  EXPECT_NE(second.find("Set=Old Set\r\nAuthor=Zed\r\n"), std::string::npos);
  // The two sets' rows, the last two, are asked about at once (the boxes are answered on the
  // terminal here: No).
  run(3, "End shift+Up Delete");
  EXPECT_NE(ReadFileBytes(p.Log(3)).find(
                "Are you sure you want to remove 2 patch sets from the database?"),
            std::string::npos)
      << ReadFileBytes(p.Log(3));
}

// A set's row plays as a patch's does, here with Enter: the set, not one of its patches. The
// keyboard is back in the list afterwards, where the next Enter plays again (hiding the window
// had handed it to a button, which that Enter pressed).
TEST(MainDlgSets, EnterOnASetsRowPlaysTheSet) {
  PlayWorld world;
  world.db.Transition = 0;
  world.db.RegisterAtStartup = false;
  world.db.WindowBackground.clear();
  auto extra = std::make_unique<PatchRecord>(*world.db.GetPatch(0));
  extra->Filename = world.dir.Write("my patches/Extra.ips", "PATCHEOF");
  world.db.AppendPatch(std::move(extra));
  ASSERT_TRUE(world.db.AddPatchSet(
      "Both", {world.db.GetPatch(0)->Filename, world.db.GetPatch(1)->Filename}));
  ASSERT_TRUE(world.db.Save(world.dir.File("brindle.dat")));
  MainDlgEnvironment env;
  env.appDir = env.databaseDir = world.dir.Path();
  env.chooseRomFile = [](QWidget*) { return std::string(); };
  ScriptedPrompt prompt;
  CMainDlg window(prompt, env);
  ASSERT_TRUE(window.Initialize(""));
  window.show();
  window.PatchList()->SelectRow(2);
  QTest::keyClick(window.PatchList(), Qt::Key_Return);
  EXPECT_EQ(window.focusWidget(), window.PatchList());
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{});
  const std::string record = ReadFileBytes(world.record);
  EXPECT_NE(record.find("/Both.smc\n"), std::string::npos) << record;
  world.ExpectPutBack();
}
