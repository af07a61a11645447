// The emulator page's choice of emulator: what it shows and what OK stores.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "db/CPatchDB.h"
#include "dialogs/CZsnesPage.h"
#include "support/ScriptedPrompt.h"

namespace {

const InstalledEmulators kInstalled{
    "",
    "/usr/bin/retroarch",
    {"/l/bsnes_mercury_balanced_libretro.so", "/l/bsnes_mercury_accuracy_libretro.so"},
    "/usr/games/mednafen",
    {}};

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
    QTest::keyClick(page.findChild<QLineEdit*>("RetroArchProgram"), Qt::Key_End);
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

TEST(EmulatorPage, TheOtherEmulatorsCommandComesFromAPresetOrTheKeyboardWithItsFormats) {
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  db.Emulator = "other";
  db.OtherCommand = "/opt/caf\xE9/emu %ROM%";  // not UTF-8
  InstalledEmulators installed = kInstalled;
  installed.presetCommands = {"", "/usr/bin/bsnes %ROM%", "",
                              "/var/lib/flatpak/exports/bin/dev.ares.ares --system \"Super "
                              "Famicom\" %ROM%",
                              ""};
  {
    CZsnesPage page(db, prompt, nullptr, installed);
    EXPECT_EQ(page.findChild<QComboBox*>("EmulatorChoice")->currentText(), "Other emulator");
    EXPECT_TRUE(page.findChild<QWidget*>("ZsnesDirectory")->isHidden());
    EXPECT_FALSE(page.findChild<QWidget*>("OtherNote")->isHidden());
    EXPECT_TRUE(page.findChild<QCheckBox*>("OtherIps")->isChecked());
    EXPECT_FALSE(page.findChild<QCheckBox*>("OtherBps")->isChecked());
    auto* presets = page.findChild<QComboBox*>("OtherPreset");
    QStringList names;
    for (int i = 0; i < presets->count(); ++i)
      names << presets->itemText(i);
    EXPECT_EQ(names.join("|").toStdString(),
              "snes9x (not found)|bsnes|Mesen 2 (not found)|ares (Flatpak)|RetroArch (any core) "
              "(not found)");
    page.Store(db);  // untouched: the bytes go back as they were
    EXPECT_EQ(db.OtherCommand, "/opt/caf\xE9/emu %ROM%");

    // A preset fills the command and its formats; the hint shows while %ROM% is missing.
    presets->setCurrentIndex(3);
    emit presets->activated(3);
    auto* command = page.findChild<QLineEdit*>("OtherCommand");
    EXPECT_EQ(command->text().toStdString(), installed.presetCommands[3]);
    EXPECT_TRUE(page.findChild<QCheckBox*>("OtherBps")->isChecked());
    EXPECT_FALSE(page.findChild<QCheckBox*>("OtherUps")->isChecked());
    EXPECT_TRUE(page.findChild<QWidget*>("OtherCommandHint")->isHidden());
    emit presets->activated(0);
    EXPECT_EQ(command->text(), "snes9x-gtk %ROM%");
    command->selectAll();
    QTest::keyClicks(command, "mesen");
    EXPECT_FALSE(page.findChild<QWidget*>("OtherCommandHint")->isHidden());
    QTest::keyClicks(command, " %ROM%");
    page.findChild<QCheckBox*>("OtherIps")->click();
    page.Store(db);
  }
  EXPECT_EQ(db.Emulator, "other");
  EXPECT_EQ(db.OtherCommand, "mesen %ROM%");
  EXPECT_EQ(db.OtherFormats, "bps,ups");
  EXPECT_TRUE(prompt.boxes.empty());
}

// Every program and core field has its Browse button; the fields show their paths from the
// start, where the folders that tell them apart are.
TEST(EmulatorPage, BrowseFillsProgramAndCoreFieldsShownFromTheirStart) {
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  db.Emulator = "retroarch";
  db.ZExecutable = "/opt/zsnes/zsnes";
  CZsnesPage page(db, prompt, nullptr, kInstalled);
  auto* program = page.findChild<QLineEdit*>("RetroArchProgram");
  auto* core = page.findChild<QComboBox*>("RetroArchCore");
  EXPECT_EQ(program->cursorPosition(), 0);
  EXPECT_EQ(core->lineEdit()->cursorPosition(), 0);

  std::vector<std::string> asked;
  page.SetFileChooser(
      [&](QWidget*, const QString& title, const std::string& start) -> std::optional<std::string> {
        asked.push_back(title.toStdString() + " at " + start);
        if (title.contains("core"))
          return std::nullopt;  // cancelled
        return "/home/me/bin/" + std::to_string(asked.size());
      });
  for (const char* button :
       {"BrowseRetroArch", "BrowseCore", "BrowseMednafen", "BrowseExecutable", "BrowseConfig"})
    page.findChild<QPushButton*>(button)->click();
  EXPECT_EQ(asked, (std::vector<std::string>{
                       "Choose the RetroArch program at /usr/bin/retroarch",
                       "Choose the RetroArch core at /l/bsnes_mercury_balanced_libretro.so",
                       "Choose the Mednafen program at /usr/games/mednafen",
                       "Choose the ZSNES program at /opt/zsnes/zsnes",
                       "Choose the ZSNES configuration file at "}));
  EXPECT_EQ(program->text(), "/home/me/bin/1");
  EXPECT_EQ(program->cursorPosition(), 0);
  page.Store(db);
  EXPECT_EQ(db.RetroArch, "/home/me/bin/1");
  EXPECT_EQ(db.RetroArchCore, "/l/bsnes_mercury_balanced_libretro.so");
  EXPECT_EQ(db.Mednafen, "/home/me/bin/3");
  EXPECT_EQ(db.ZExecutable, "/home/me/bin/4");
  EXPECT_EQ(db.ZConfig, "/home/me/bin/5");
}
