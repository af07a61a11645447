#include <gtest/gtest.h>

#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <future>

#include "app/CMainDlg.h"
#include "app/CSortListCtrl.h"
#include "support/RomImage.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

TEST(AddFolder, CancelFromTheWindowKeepsAndSavesWhatWasAdded) {
  TempDir dir;
  const std::string database =
      dir.Write("brindle.dat",
                "[vars]\r\nZSNES=/opt/zsnes/\r\nTransition=0\r\nRegisterAtStartup=0\r\n"
                "WindowBackground=\r\n");
  std::filesystem::create_directories(dir.File("tree/sub"));
  for (int i = 0; i < 8; ++i) {
    const std::string name = "GAME " + std::to_string(i);
    ASSERT_TRUE(MakeRomImage(dir.File(i < 4 ? "tree/" : "tree/sub/") + std::to_string(i) + ".smc",
                             1048576, 65472, name));
  }

  // The work stops after its third file until the test has pressed Cancel.
  std::atomic<bool> held = false;
  std::promise<void> pressed;
  std::shared_future<void> release = pressed.get_future().share();
  std::string summary;
  ScriptedPrompt prompt;
  MainDlgEnvironment env;
  env.appDir = env.databaseDir = dir.Path();
  env.addFolder.chooseFolder = [&](UserPrompt&, QWidget*) { return dir.File("tree") + "/"; };
  env.addFolder.showSummary = [&](const FolderAddResult& result, QWidget*) {
    summary = FolderAddSummaryHead(result) + FolderAddSummaryDetails(result);
  };
  env.addFolder.threads = 2;
  env.addFolder.onProgress = [&](const FolderAddProgress& progress) {
    if (progress.scanning || progress.filesDone != 3)
      return;
    held = true;
    release.wait();
  };
  CMainDlg dlg(prompt, env);
  ASSERT_TRUE(dlg.Initialize(""));
  dlg.show();

  // The window's thread goes on meanwhile: the progress dialog shows where the work is.
  std::string shown;
  QTimer user;
  int ticks = 0;
  QObject::connect(&user, &QTimer::timeout, [&] {
    auto* progress = dlg.findChild<QProgressDialog*>("AddFolderProgress");
    if (held && progress != nullptr && progress->isVisible())
      shown = progress->labelText().toStdString();
    // Given up after ten seconds, so that a failure does not hold the work for ever.
    if (shown != "Adding: 3 of 8 files, 3.1 of 8.4 MB" && ++ticks < 1000)
      return;
    for (QPushButton* button : dlg.findChildren<QPushButton*>()) {
      if (button->text() == "Cancel")
        button->click();
    }
    user.stop();
    pressed.set_value();
  });
  user.start(10);
  dlg.RunCommand(CMainDlg::kAddFolder);

  EXPECT_EQ(shown, "Adding: 3 of 8 files, 3.1 of 8.4 MB");
  EXPECT_EQ(summary,
            "Cancelled after 3 of 8 files. What was added before stays added.\n"
            "Added: 3 ROMs, 0 patches.\nAlready in the database: 0 ROMs, 0 patches.\n");
  EXPECT_EQ(dlg.RomList()->GetRowCount(), 3);
  ScriptedPrompt quiet;
  CPatchDB saved(quiet);
  ASSERT_EQ(saved.Load(database), 0);
  ASSERT_EQ(saved.GetRomCount(), 3);
  EXPECT_EQ(saved.GetRom(2)->Filename, dir.File("tree/2.smc"));
  EXPECT_TRUE(prompt.boxes.empty());
}
