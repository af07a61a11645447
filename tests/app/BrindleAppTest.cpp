#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "app/CBrindleApp.h"
#include "app/CSortListCtrl.h"
#include "app/CSortListModel.h"
#include "dialogs/COptionsDlg.h"
#include "platform/CInstanceLock.h"
#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "play/PlayWorld.h"
#include "support/ArchiveWriter.h"
#include "support/RomImage.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"
#include "ui/CIconBar.h"

namespace {

// Saves the world's database for a window that opens at once: no animation, registration or
// background.
void SaveForAQuickWindow(PlayWorld& world) {
  world.db.Transition = 0;
  world.db.RegisterAtStartup = false;
  world.db.WindowBackground.clear();
  ASSERT_TRUE(world.db.Save(world.dir.File("brindle.dat")));
}

// Runs `inside` once the dialog that the next step opens is up, then goes on.
void WhenOptionsOpen(std::function<void(COptionsDlg&)> inside) {
  QTimer::singleShot(0, [inside] {
    auto* options = qobject_cast<COptionsDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(options, nullptr) << "no Options dialog";
    inside(*options);
  });
}

// Runs `inside` once the main window runs its loop (after the start-up steps, opening animation
// included, which shows the window before its loop runs).
void WhenWindowRuns(std::function<void(CMainDlg&)> inside) {
  QTimer::singleShot(10, [inside] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* window = qobject_cast<CMainDlg*>(widget);
      if (window && window->isVisible() && window->PatchList()->GetColumnCount() > 0)
        return inside(*window);
    }
    WhenWindowRuns(inside);
  });
}

// Fills in the emulator page for the native build in `directory` and confirms.
// Types the directory, picks the Linux build and, when given, types its configuration file.
void SetUpLinuxZsnes(COptionsDlg& options, const std::string& directory,
                     const std::string& config = "") {
  EXPECT_EQ(options.VisiblePage(), kEmulatorPage);
  auto* field = options.findChild<QLineEdit*>("ZsnesDirectory");
  field->selectAll();
  QTest::keyClicks(field, QString::fromStdString(directory));
  options.findChild<QComboBox*>("ZsnesVersion")->setCurrentIndex(2);
  if (!config.empty()) {
    auto* configField = options.findChild<QLineEdit*>("ZsnesConfig");
    configField->selectAll();
    QTest::keyClicks(configField, QString::fromStdString(config));
  }
  options.findChild<QPushButton*>("Ok")->click();
}

// A copy of the program whose brindle.dat, instance lock and channel are in `folder`.
BrindleAppEnvironment Environment(const TempDir& folder, UserPrompt& prompt, CInstanceLock& lock,
                                  const std::string& channel = "channel") {
  BrindleAppEnvironment env;
  env.window.appDir = folder.Path();
  env.window.databaseDir = folder.Path();
  env.prompt = &prompt;
  env.lock = &lock;
  env.channelName = QString::fromStdString(folder.File(channel));
  return env;
}

}  // namespace

TEST(BrindleApp, SecondCopyWithoutAWindowToRaise) {
  TempDir dir;
  CInstanceLock first("BrindleApp", dir.Path());
  ASSERT_EQ(first.Acquire(), CInstanceLock::Result::Acquired);
  for (bool withFile : {false, true}) {
    ScriptedPrompt prompt;
    CInstanceLock second("BrindleApp", dir.Path());
    BrindleAppEnvironment env = Environment(dir, prompt, second, "nobody-listens");
    env.currentFolder = "/home/user";
    CBrindleApp app(env);
    std::vector<std::string> args = {"-x"};
    if (withFile)
      args.push_back("patches/a.ips");
    EXPECT_EQ(app.Run(args), 0);
    if (!withFile) {
      EXPECT_TRUE(prompt.boxes.empty());
      continue;
    }
    EXPECT_EQ(app.CommandLineFile(), "/home/user/patches/a.ips");
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text,
              "Only one instance of Brindle can be opened at one time. Please use the currently "
              "open instance to load new patch files.");
    EXPECT_EQ(prompt.boxes[0].title, "Brindle");
    EXPECT_EQ(prompt.boxes[0].icon, BoxIcon::None);
  }
  EXPECT_FALSE(PathExists(dir.File("brindle.dat")));  // nothing ran, nothing saved
}

TEST(BrindleApp, ACopyWithoutTheLockLeavesTheChannelAlone) {
  PlayWorld world;
  SaveForAQuickWindow(world);
  CInstanceLock lock("BrindleApp", world.dir.File("no/such/folder"));
  const BrindleAppEnvironment env = Environment(world.dir, world.prompt, lock);
  TempDir::WriteTo(world.dir.File("channel"), "a running copy's socket");
  WhenWindowRuns([](CMainDlg& window) { window.RunCommand(CMainDlg::kExit); });
  EXPECT_EQ(CBrindleApp(env).Run({}), 0);
  EXPECT_TRUE(PathExists(world.dir.File("channel")));
}

TEST(BrindleApp, PlayingFromTheWindowComesBackToTheRunningWindow) {
  PlayWorld world;
  SaveForAQuickWindow(world);
  CInstanceLock lock("BrindleApp", world.dir.Path());
  const BrindleAppEnvironment env = Environment(world.dir, world.prompt, lock);

  // Once the main loop runs: double-click the patch, then look again a little later.
  bool played = false, looked = false, visible = false;
  QTimer::singleShot(0, [&] {
    auto* window = qobject_cast<CMainDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(window, nullptr);
    CSortListCtrl* list = window->PatchList();
    const QPoint row = list->visualRect(list->GetModel()->index(0, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
    played = PathExists(world.record);
    QTimer::singleShot(200, [&, window] {
      looked = true;
      visible = window->isVisible();
      window->RunCommand(CMainDlg::kExit);
    });
  });
  EXPECT_EQ(CBrindleApp(env).Run({}), 0);

  EXPECT_TRUE(played);
  EXPECT_TRUE(looked) << "the main loop ended with the play";
  EXPECT_TRUE(visible);
  EXPECT_NE(ReadFileBytes(world.record).find("play=yes"), std::string::npos);
  EXPECT_TRUE(world.prompt.boxes.empty());
  world.ExpectPutBack();
}

TEST(BrindleApp, FirstRunWalksWelcomeOptionsAndTheConfiguredMessage) {
  TempDir dir;
  ScriptedPrompt prompt;
  CInstanceLock lock("BrindleApp", dir.Path());
  const BrindleAppEnvironment env = Environment(dir, prompt, lock);
  // The welcome box, then the Options dialog at the emulator page.
  prompt.onAsk = [&](const BoxRequest& box) {
    if (box.text.rfind("Welcome", 0) == 0)
      WhenOptionsOpen([](COptionsDlg& options) { SetUpLinuxZsnes(options, "/opt/zsnes"); });
    if (box.text.rfind("ZSNES has been configured.", 0) == 0)
      WhenWindowRuns([](CMainDlg& window) { window.RunCommand(CMainDlg::kExit); });
  };
  EXPECT_EQ(CBrindleApp(env).Run({}), 0);
  ASSERT_EQ(prompt.boxes.size(), 2u);
  EXPECT_EQ(prompt.boxes[1].text,
            "ZSNES has been configured.\n\nYou can use IPS patches by installing them through this "
            "program and double-clicking\non the entries in the patch listbox, or by "
            "double-clicking them in your file manager.\n\nNote that you must also install "
            "compatible ROMs in order to use the patches.");
  EXPECT_EQ(prompt.boxes[1].icon, BoxIcon::Information);
  EXPECT_NE(ReadFileBytes(dir.File("brindle.dat"))
                .find("[vars]\r\nZSNES=/opt/zsnes/\r\nZSNESVer=zsnesl\r\nZConfig=" +
                      *GetPasswordHomeFolder() +
                      "/.zsnes/zsnesl.cfg\r\nZExecutable=/opt/zsnes/zsnes\r\n"),
            std::string::npos);
}

TEST(BrindleApp, FirstRunConfirmingAnEmptyEmulatorPageLeavesItUnconfigured) {
  TempDir dir;
  ScriptedPrompt prompt;
  CInstanceLock lock("BrindleApp", dir.Path());
  const BrindleAppEnvironment env = Environment(dir, prompt, lock);
  const ScopedEnv path("PATH", dir.File("no programs").c_str());
  prompt.onAsk = [&](const BoxRequest& box) {
    if (box.text.rfind("Welcome", 0) == 0)
      WhenOptionsOpen([](COptionsDlg& options) { QTest::keyClick(&options, Qt::Key_Return); });
    if (box.text.rfind("ZSNES has not", 0) == 0)
      WhenWindowRuns([](CMainDlg& window) { window.RunCommand(CMainDlg::kExit); });
  };
  EXPECT_EQ(CBrindleApp(env).Run({}), 0);
  ASSERT_EQ(prompt.boxes.size(), 2u);
  EXPECT_EQ(prompt.boxes[1].text.rfind("ZSNES has not been properly configured.", 0), 0u);
  EXPECT_NE(ReadFileBytes(dir.File("brindle.dat")).find("[vars]\r\nZSNES=\r\n"), std::string::npos);
}

TEST(BrindleApp, EveryMenuEntryOpensOptionsAtItsPageAndAPlayIsSetUpThere) {
  PlayWorld world;
  // The native build keeps its configuration in the home folder; this one is typed in.
  world.config = world.dir.Write("home/.zsnes/zsnesl.cfg", world.configBytes);
  world.emulator = world.WriteEmulator("zsnes dir/zsnes", "");
  world.db.ZSNES.clear();
  SaveForAQuickWindow(world);
  CInstanceLock lock("BrindleApp", world.dir.Path());
  const BrindleAppEnvironment env = Environment(world.dir, world.prompt, lock);

  std::vector<int> pages;
  QTimer::singleShot(0, [&] {
    auto* window = qobject_cast<CMainDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(window, nullptr);
    for (int command : {CMainDlg::kOptions, CMainDlg::kConfigureZsnes, CMainDlg::kRomPreferences,
                        CMainDlg::kAbout}) {
      WhenOptionsOpen([&pages](COptionsDlg& options) {
        pages.push_back(options.VisiblePage());
        EXPECT_EQ(options.PageBar()->GetSelection(), options.VisiblePage());
        options.reject();
      });
      window->FindAction(command)->trigger();
    }
    // Playing without an emulator: the message, then the emulator page.
    window->PatchList()->SelectRow(0);
    WhenOptionsOpen(
        [&world](COptionsDlg& options) { SetUpLinuxZsnes(options, world.zsnesDir, world.config); });
    window->RunCommand(CMainDlg::kPlay);
    EXPECT_FALSE(PathExists(world.record));
    window->RunCommand(CMainDlg::kPlay);
    window->RunCommand(CMainDlg::kExit);
  });
  EXPECT_EQ(CBrindleApp(env).Run({}), 0);

  EXPECT_EQ(pages, (std::vector<int>{0, 1, 2, 3}));
  ASSERT_EQ(world.prompt.boxes.size(), 1u);
  EXPECT_EQ(world.prompt.boxes[0].text.rfind("Brindle does not have a ZSNES installation", 0), 0u);
  const std::string record = ReadFileBytes(world.record);
  EXPECT_NE(record.find("play=yes"), std::string::npos) << record;
  EXPECT_NE(record.find("cwd=" + world.zsnesDir.substr(0, world.zsnesDir.size() - 1)),
            std::string::npos);
  world.ExpectPutBack();
}

TEST(BrindleApp, InstallingByDropAndEditingThroughTheDialogsOfTheRunningWindow) {
  TempDir dir;
  ScriptedPrompt prompt;
  TempDir::WriteTo(dir.File("brindle.dat"),
                   "[vars]\r\nZSNES=/opt/zsnes/\r\nTransition=0\r\nRegisterAtStartup=0\r\n"
                   "WindowBackground=\r\nAllowEdit=1\r\n");
  const std::string patch = dir.Write("patches/Hack.ips", "PATCHEOF");
  dir.Write("patches/Hack.dat", "name=Hack\r\nauthor=Me\r\nromname=GAME\r\nromsize=8Mbit\r\n");
  const std::string rom = dir.File("roms/Game.sfc");
  std::filesystem::create_directories(dir.File("roms"));
  ASSERT_TRUE(MakeRomImage(rom, 1048576, 0xFFC0, "GAME"));
  CInstanceLock lock("BrindleApp", dir.Path());
  BrindleAppEnvironment env = Environment(dir, prompt, lock);
  const std::string bare = dir.Write("patches/Bare.ips", "PATCHEOF");
  const std::string zip = dir.File("roms/Set.zip");
  ASSERT_TRUE(WriteArchive(zip, ArchiveKind::Zip, {{"Other.sfc", RomBytes(1048576, "OTHER")}}));
  // Broken patches are refused whichever way they come.
  const std::string dropped = dir.Write("patches/Broken.BPS", "BPS1 broken");
  const std::string chosen = dir.Write("patches/Cut.ips", "PATCH");
  std::vector<std::string> choices{chosen, bare};
  env.window.choosePatchFile = [&choices](QWidget*) {
    const std::string next = choices.front();
    choices.erase(choices.begin());
    return next;
  };

  // Answers whichever dialog is open once its own loop runs.
  const auto whenOpen = [](auto answer) {
    QTimer::singleShot(0, [answer] {
      QWidget* dialog = QApplication::activeModalWidget();
      ASSERT_NE(dialog, nullptr);
      answer(*dialog);
    });
  };
  QTimer::singleShot(0, [&] {
    auto* window = qobject_cast<CMainDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(window, nullptr);
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(patch)),
                   QUrl::fromLocalFile(QString::fromStdString(dropped)),
                   QUrl::fromLocalFile(QString::fromStdString(rom)),
                   QUrl::fromLocalFile(QString::fromStdString(zip))});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &files, Qt::LeftButton, {});
    QApplication::sendEvent(window, &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &files, Qt::LeftButton, {});
    QApplication::sendEvent(window, &drop);

    window->RunCommand(CMainDlg::kAddPatch);
    // A patch without a .dat file is described in the dialog.
    whenOpen([](QWidget& dialog) {
      QTest::keyClicks(dialog.findChild<QLineEdit*>("PatchName"), "Bare");
      QTest::keyClicks(dialog.findChild<QLineEdit*>("RomName"), "GAME");
      dialog.findChild<QComboBox*>("Size")->setCurrentIndex(3);
      qobject_cast<QDialog*>(&dialog)->accept();
    });
    window->RunCommand(CMainDlg::kAddPatch);

    window->PatchList()->SelectRow(0);
    whenOpen([](QWidget& dialog) {
      QTest::keyClicks(dialog.findChild<QLineEdit*>("Author"), " Else");
      qobject_cast<QDialog*>(&dialog)->accept();
    });
    window->RunCommand(CMainDlg::kPatchProperties);
    window->RomList()->SelectRow(0);
    whenOpen([](QWidget& dialog) {
      dialog.findChild<QCheckBox*>("UseForcedName")->click();
      QTest::keyClicks(dialog.findChild<QLineEdit*>("ForcedName"), "My Game");
      qobject_cast<QDialog*>(&dialog)->accept();
    });
    window->RunCommand(CMainDlg::kRomProperties);
    EXPECT_EQ(window->RomList()->GetRowText(0, 0), "[My Game]");
    window->RunCommand(CMainDlg::kExit);
  });
  EXPECT_EQ(CBrindleApp(env).Run({}), 0);

  const std::string saved = ReadFileBytes(dir.File("brindle.dat"));
  EXPECT_NE(saved.find("Hack|Me Else|||" + patch + "|GAME|8Mbit|\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("GAME|8Mbit (No header)|" + rom + "|"), std::string::npos) << saved;
  EXPECT_NE(saved.find("|My Game\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("OTHER|8Mbit (No header)|" + zip + "#Other.sfc|"), std::string::npos)
      << saved;
  EXPECT_NE(saved.find("Bare||||" + bare + "|GAME|8Mbit|\r\n"), std::string::npos) << saved;
  ASSERT_EQ(prompt.Texts(),
            (std::vector<std::string>{
                "Error: Cannot add patch to database:\n" + dropped +
                    "\n\nThe file is not a well-formed BPS patch: the file is too short (11 "
                    "bytes).",
                "Error: Cannot add patch to database:\n" + chosen +
                    "\n\nThe file is not a well-formed IPS patch: the file ends without the end "
                    "marker \"EOF\".",
                "A patch information file (*.dat) was not found for the specified IPS file.\nYou "
                "will have to enter patch information manually in order to continue."}));
  EXPECT_EQ(saved.find("Broken"), std::string::npos);
  EXPECT_EQ(saved.find("Cut"), std::string::npos);
}
