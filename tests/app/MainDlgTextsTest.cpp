#include <gtest/gtest.h>

#include <QCheckBox>

#include "app/MainDlgTexts.h"
#include "db/CPatchDB.h"
#include "dialogs/CAboutPage.h"
#include "dialogs/CZsnesPage.h"
#include "support/ScriptedPrompt.h"

// With ZSNES and an IPS patch the texts read as they always did, character for character;
// otherwise they name the emulator and the format in use.
TEST(WindowTexts, NameTheEmulatorAndFormatInUse) {
  EXPECT_EQ(WelcomeText(EmulatorKind::Zsnes),
            "Welcome to Brindle!\n\t\t\t\nPlease take a moment to configure Brindle's ZSNES "
            "settings.");
  EXPECT_EQ(WelcomeText(EmulatorKind::RetroArch),
            "Welcome to Brindle!\n\t\t\t\nPlease take a moment to configure Brindle's RetroArch "
            "settings.");

  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  db.ZSNES = "/opt/zsnes/";
  EXPECT_EQ(FirstRunResult(db).text,
            "ZSNES has been configured.\n\nYou can use IPS patches by installing them through "
            "this program and double-clicking\non the entries in the patch listbox, or by "
            "double-clicking them in your file manager.\n\nNote that you must also install "
            "compatible ROMs in order to use the patches.");
  db.ZSNES.clear();
  EXPECT_EQ(NoEmulatorText(db),
            "Brindle does not have a ZSNES installation configured.\n\t\t\t\t\t\t\nYou must "
            "register ZSNES with Brindle before you can run patches.");
  db.Emulator = "mednafen";
  db.Mednafen = "/usr/games/mednafen";
  const std::string configured = FirstRunResult(db).text;
  EXPECT_EQ(configured.substr(0, 68),
            "Mednafen has been configured.\n\nYou can use IPS, BPS and UPS patches ");
  EXPECT_EQ(configured.find("ZSNES"), std::string::npos);

  EXPECT_EQ(RemovePatchQuestion("Hack", "/p/hack.ips"),
            "Are you sure you want to remove the patch \"Hack\" from the database?\n\nThis will "
            "NOT remove the IPS file from your hard drive.");
  EXPECT_NE(RemovePatchQuestion("Hack", "/p/Hack.BPS").find("remove the BPS file"),
            std::string::npos);

  // The emulator page's note on saves, and the About page.
  CZsnesPage page(db, prompt, nullptr, InstalledEmulators{});
  const QString note = page.findChild<QCheckBox*>("SaveWithPatches")->toolTip();
  EXPECT_TRUE(note.endsWith("stored in Mednafen's own save directory.")) << note.toStdString();
  const QString about = CAboutPage::AboutText("/home/me/.local/share/brindle");
  EXPECT_TRUE(about.contains("IPS, BPS and UPS")) << about.toStdString();
  EXPECT_TRUE(about.contains(QStringLiteral("/\u200bbrindle/\u200bbrindle.dat")));
  EXPECT_FALSE(about.contains("beside the program"));
}
