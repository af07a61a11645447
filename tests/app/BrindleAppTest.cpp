#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/CBrindleApp.h"
#include "app/CSortListCtrl.h"
#include "app/CSortListModel.h"
#include "platform/CInstanceLock.h"
#include "platform/FileSystem.h"
#include "play/PlayWorld.h"
#include "support/RomImage.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

// A copy of the program whose brindle.dat, instance lock and channel are in `folder`.
BrindleAppEnvironment Environment(const TempDir& folder, UserPrompt& prompt, CInstanceLock& lock,
                                  const std::string& channel = "channel") {
  BrindleAppEnvironment env;
  env.window.appDir = folder.Path();
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

TEST(BrindleApp, PlayingFromTheWindowComesBackToTheRunningWindow) {
  PlayWorld world;
  world.db.Transition = 0;
  world.db.RegisterAtStartup = false;
  world.db.WindowBackground.clear();
  ASSERT_TRUE(world.db.Save(world.dir.File("brindle.dat")));
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

TEST(BrindleApp, InstallingByDropAndEditingThroughTheDialogsOfTheRunningWindow) {
  TempDir dir;
  ScriptedPrompt prompt;
  TempDir::WriteTo(dir.File("brindle.dat"),
                   "[vars]\r\nZSNES=/opt/zsnes/\r\nTransition=0\r\nRegisterAtStartup=0\r\n"
                   "WindowBackground=\r\nAllowEdit=1\r\n");
  const std::string patch = dir.Write("patches/Hack.ips", "PATCH");
  dir.Write("patches/Hack.dat", "name=Hack\r\nauthor=Me\r\nromname=GAME\r\nromsize=8Mbit\r\n");
  const std::string rom = dir.File("roms/Game.sfc");
  std::filesystem::create_directories(dir.File("roms"));
  ASSERT_TRUE(MakeRomImage(rom, 1048576, 0xFFC0, "GAME"));
  CInstanceLock lock("BrindleApp", dir.Path());
  BrindleAppEnvironment env = Environment(dir, prompt, lock);
  const std::string bare = dir.Write("patches/Bare.ips", "PATCH");
  env.window.choosePatchFile = [&bare](QWidget*) { return bare; };

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
                   QUrl::fromLocalFile(QString::fromStdString(rom))});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &files, Qt::LeftButton, {});
    QApplication::sendEvent(window, &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &files, Qt::LeftButton, {});
    QApplication::sendEvent(window, &drop);

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
  EXPECT_NE(saved.find("Bare||||" + bare + "|GAME|8Mbit|\r\n"), std::string::npos) << saved;
  ASSERT_EQ(prompt.boxes.size(), 1u);  // the missing .dat file
  EXPECT_EQ(prompt.boxes[0].text.rfind("A patch information file (*.dat) was not found", 0), 0u);
}
