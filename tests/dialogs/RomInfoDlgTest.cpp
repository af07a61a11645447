#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "db/CPatchDB.h"
#include "dialogs/CRomInfoDlg.h"
#include "support/ArchiveWriter.h"
#include "support/RomImage.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"
#include "ui/CStatusText.h"

namespace {

struct RomForm {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db{prompt};
  RomRecord rom{"EARTH BOUND (J)", "8Mbit", FieldText(dir.File("eb.smc")), "", "Old", true, 8};
  std::unique_ptr<CRomInfoDlg> dlg;

  RomForm() {
    EXPECT_TRUE(MakeRomImage(rom.Filename, 1048576, 0xFFC0, rom.RomName));
    rom.RomDigest = db.GetFileHash(rom.Filename);
  }
  CStatusText* Open() {
    dlg = std::make_unique<CRomInfoDlg>(rom, db, prompt);
    return dlg->findChild<CStatusText*>("Status");
  }
  void Click(const char* button) const { dlg->findChild<QPushButton*>(button)->click(); }
  QLineEdit* Edit(const char* name) const { return dlg->findChild<QLineEdit*>(name); }
  QColor DigestColour() const { return Edit("RomDigest")->palette().color(QPalette::Text); }
};

}  // namespace

TEST(RomInfoDlg, StatusColoursAndTheJokes) {
  RomForm f;
  f.db.IgnoreParens = false;
  CStatusText* status = f.Open();
  EXPECT_EQ(status->text(), "\nEverything is fine.");
  EXPECT_EQ(status->palette().color(QPalette::WindowText), QColor(17, 68, 128));
  EXPECT_FALSE(status->autoFillBackground());
  f.db.IgnoreParens = true;
  status = f.Open();
  EXPECT_EQ(status->text(),
            "Note: The ROM name contains an item in parentheses, which is currently being "
            "ignored.\nSee ROM Preferences for details.");
  EXPECT_EQ(status->palette().color(QPalette::WindowText), QColor(239, 239, 216));
  EXPECT_EQ(status->palette().color(QPalette::Window), QColor(0, 35, 86));
  EXPECT_TRUE(status->autoFillBackground());

  QTest::mouseClick(status, Qt::LeftButton);
  auto* leprechaun = f.dlg->findChild<QPushButton*>("Leprechaun");
  for (int press = 1; press <= 6; ++press) {
    f.Click("Recompute");
    EXPECT_EQ(leprechaun->isHidden(), press != 5) << press;
    if (press == 5)
      leprechaun->click();
  }
  EXPECT_EQ(f.prompt.Texts(),
            (std::vector<std::string>{"Moo!", "They're always after me lucky charms!"}));
  EXPECT_EQ(f.DigestColour(), f.dlg->palette().color(QPalette::ButtonText));  // all matched
}

TEST(RomInfoDlg, TheNoteFitsItsPlaceAtTheDefaultFontAndAtTwiceItsSize) {
  const QFont saved = QApplication::font();
  for (const double scale : {1.0, 2.0}) {
    QFont font = saved;
    font.setPointSizeF(saved.pointSizeF() * scale);
    QApplication::setFont(font);
    RomForm f;
    f.db.IgnoreParens = true;
    const CStatusText* status = f.Open();
    const QFont drawn = status->TextFont();
    const QRect needed = QFontMetrics(drawn).boundingRect(status->TextRect(),
                                                          CStatusText::kTextFlags, status->text());
    EXPECT_TRUE(status->contentsRect().contains(needed)) << scale;
    EXPECT_GE(drawn.pointSizeF(), font.pointSizeF() * 0.7) << scale;
  }
  QApplication::setFont(saved);
}

TEST(RomInfoDlg, DigestTurnsRedForGoodAndOkStoresWhatCanBeStored) {
  RomForm f;
  const std::string stored = f.rom.RomDigest;
  f.Open();
  ASSERT_TRUE(WriteBytesAt(f.rom.Filename, 7, "changed"));
  f.Click("Recompute");
  const std::string changed = f.Edit("RomDigest")->text().toStdString();
  ASSERT_TRUE(WriteBytesAt(f.rom.Filename, 7, std::string(7, '\0')));
  f.Click("Recompute");  // matches again, stays red
  EXPECT_EQ(f.DigestColour(), QColor(255, 0, 0));
  f.dlg->reject();
  EXPECT_EQ(f.rom.RomDigest, stored);

  // The forced name's edit follows its check box; cleared, the name leaves the flag alone.
  ASSERT_TRUE(WriteBytesAt(f.rom.Filename, 7, "changed"));
  f.Open();
  f.Click("Recompute");
  f.Edit("ForcedName")->clear();
  f.dlg->findChild<QCheckBox*>("UseForcedName")->click();
  EXPECT_FALSE(f.Edit("ForcedName")->isEnabled());
  f.dlg->accept();
  EXPECT_EQ(f.rom.RomDigest + "|" + f.rom.ForcedName, changed + "|");
  EXPECT_TRUE(f.rom.UseForcedName);

  // An unreadable file shows why, in red; that text never becomes the digest.
  std::filesystem::remove(f.rom.Filename.str());
  f.Open();
  f.Click("Recompute");
  EXPECT_EQ(f.Edit("RomDigest")->text(), CPatchDB::kInvalidFileHashText);
  EXPECT_EQ(f.DigestColour(), QColor(255, 0, 0));
  f.dlg->accept();
  EXPECT_EQ(f.rom.RomDigest, changed);

  // A ROM in an archive: its digest is the member's, and the archive and member are named apart.
  const std::string zip = f.dir.File("Set #1.zip");
  ASSERT_TRUE(WriteArchive(zip, ArchiveKind::Zip, {{"In #2.sfc", RomBytes(1048576, "IN")}}));
  f.rom.Filename = zip + "#In #2.sfc";
  f.rom.RomDigest = f.db.GetFileHash(f.rom.Filename);
  f.Open();
  f.Click("Recompute");
  EXPECT_NE(f.DigestColour(), QColor(255, 0, 0));
  EXPECT_EQ(f.Edit("Filename")->toolTip().toStdString(),
            "Archive: " + zip + "\nFile in the archive: In #2.sfc");
}
