// The emulator page's choice of emulator: what it shows and what OK stores.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "db/CPatchDB.h"
#include "dialogs/CZsnesPage.h"
#include "support/ScriptedPrompt.h"

namespace {

const InstalledEmulators kInstalled{
    "",
    "/usr/bin/retroarch",
    {"/l/bsnes_mercury_balanced_libretro.so", "/l/bsnes_mercury_accuracy_libretro.so"},
    "/usr/games/mednafen"};

}  // namespace

TEST(EmulatorPage, ShowsTheChosenEmulatorsFieldsAndStoresThemWithoutLosingTheOthers) {
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  db.ZSNES = "/opt/zsnes/";
  db.ZSNESVer = "zsnesl";
  db.ZExecutable = "/opt/zsnes/zsnes";
  db.Mednafen = "/opt/caf\xE9/mednafen";  // not UTF-8
  {
    CZsnesPage page(db, prompt, nullptr, kInstalled);
    auto* emulator = page.findChild<QComboBox*>("EmulatorChoice");
    EXPECT_EQ(emulator->currentText(), "ZSNES");
    EXPECT_TRUE(page.findChild<QWidget*>("RetroArchProgram")->isHidden());
    EXPECT_TRUE(page.findChild<QWidget*>("RunNote")->isHidden());  // ZSNES's note in its place
    emulator->setCurrentIndex(1);
    EXPECT_TRUE(page.findChild<QWidget*>("ZsnesDirectory")->isHidden());
    EXPECT_FALSE(page.findChild<QWidget*>("RetroArchCore")->isHidden());
    EXPECT_FALSE(page.findChild<QWidget*>("RunNote")->isHidden());
    auto* core = page.findChild<QComboBox*>("RetroArchCore");
    EXPECT_EQ(core->currentText(), "/l/bsnes_mercury_balanced_libretro.so");
    EXPECT_EQ(core->count(), 2);
    QTest::keyClicks(page.findChild<QLineEdit*>("RetroArchProgram"), "-1.14");
    page.Store(db);
  }
  EXPECT_EQ(db.Emulator, "retroarch");
  EXPECT_EQ(db.RetroArch, "/usr/bin/retroarch-1.14");
  EXPECT_EQ(db.RetroArchCore, "/l/bsnes_mercury_balanced_libretro.so");
  EXPECT_EQ(db.ZSNES, "/opt/zsnes/");
  EXPECT_EQ(db.ZSNESVer, "zsnesl");
  EXPECT_EQ(db.ZExecutable, "/opt/zsnes/zsnes");
  EXPECT_EQ(db.Mednafen, "/opt/caf\xE9/mednafen");

  // Mednafen chosen with its stored program untouched: the bytes go back as they were.
  {
    CZsnesPage page(db, prompt, nullptr, kInstalled);
    EXPECT_EQ(page.findChild<QComboBox*>("EmulatorChoice")->currentText(),
              "RetroArch (bsnes-mercury)");
    page.findChild<QComboBox*>("EmulatorChoice")->setCurrentIndex(2);
    EXPECT_EQ(page.findChild<QLineEdit*>("MednafenProgram")->text(),
              QString::fromLatin1("/opt/caf\xE9/mednafen"));
    page.Store(db);
  }
  EXPECT_EQ(db.Emulator, "mednafen");
  EXPECT_EQ(db.Mednafen, "/opt/caf\xE9/mednafen");
  EXPECT_EQ(db.RetroArch, "/usr/bin/retroarch-1.14");
  EXPECT_TRUE(prompt.boxes.empty());
}
