#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "db/CPatchDB.h"
#include "dialogs/CPatchInfoDlg.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

struct Form {
  ScriptedPrompt prompt;
  PatchRecord patch{"Name", "", "", "", "/p/a.ips", "GAME", "24Mbit", "", 280};
  std::unique_ptr<CPatchInfoDlg> dlg;

  void Open(bool allowEdit) { dlg = std::make_unique<CPatchInfoDlg>(patch, prompt, allowEdit); }
  template <typename T = QWidget>
  T* Get(const char* name) const {
    return dlg->findChild<T*>(name);
  }
};

}  // namespace

TEST(PatchInfoDlg, SizeAndHeaderGoBackAsSizeWordAndTextCancelKeepsAll) {
  Form f;
  f.Open(true);
  EXPECT_EQ(f.Get<QComboBox>("Size")->currentText(), "24Mbit");
  EXPECT_TRUE(f.Get<QCheckBox>("Header")->isChecked());
  f.dlg->accept();
  EXPECT_EQ(f.patch.RomSize + std::to_string(f.patch.SizeWord), "24Mbit280");
  for (bool ok : {false, true}) {
    f.Open(true);
    f.Get<QComboBox>("Size")->setCurrentIndex(5);
    f.Get<QCheckBox>("Header")->setChecked(false);
    QTest::keyClicks(f.Get("Author"), "Someone");
    ok ? f.dlg->accept() : f.dlg->reject();
    EXPECT_EQ(f.patch.Author + "|" + f.patch.RomSize + "|" + std::to_string(f.patch.SizeWord),
              ok ? "Someone|12Mbit No header|12" : "|24Mbit|280");
  }
  f.patch.SizeWord = 256 | 3;  // a size the list lacks: none chosen
  f.Open(true);
  EXPECT_EQ(f.Get<QComboBox>("Size")->currentIndex(), -1);

  // The description takes Return as a line break, and Tab moves on to the next control.
  f.patch.SizeWord = 280;
  f.Open(true);
  f.dlg->show();
  QWidget* description = f.Get("Description");
  description->setFocus();
  QTest::keyClicks(description, "one");
  QTest::keyClick(description, Qt::Key_Return);
  QTest::keyClicks(description, "two");
  QTest::keyClick(description, Qt::Key_Tab);
  EXPECT_FALSE(description->hasFocus());
  f.dlg->accept();
  EXPECT_EQ(f.patch.Description, "one two");
}

TEST(PatchInfoDlg, LockedFormTradesOkForTheRedNoticeOnTheFirstChange) {
  Form f;
  f.Open(false);
  f.Get<QCheckBox>("Header")->click();  // the check box alone changes nothing
  EXPECT_FALSE(f.Get<QPushButton>("OK")->isEnabled() || f.Get<QPushButton>("OK")->isHidden());
  EXPECT_TRUE(f.Get("LockNotice")->isHidden());
  for (const char* field :
       {"PatchName", "Author", "Version", "RomName", "RomDigest", "Description", "Size"}) {
    f.Open(false);
    if (auto* size = f.Get<QComboBox>(field))
      size->setCurrentIndex(0);
    else
      QTest::keyClicks(f.Get(field), "x");
    EXPECT_FALSE(f.Get("LockNotice")->isHidden()) << field;
    EXPECT_TRUE(f.Get("OK")->isHidden()) << field;
    f.dlg->accept();  // Enter confirms nothing either
  }
  EXPECT_EQ(f.Get("LockNotice")->geometry() & f.Get("OK")->geometry(), f.Get("OK")->geometry());
  EXPECT_EQ(f.Get("LockNotice")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_EQ(f.Get("LockNotice")->palette().color(QPalette::Window), QColor(0, 0, 0));
  EXPECT_EQ(f.patch.PatchName + f.patch.RomSize, "Name24Mbit");
}

TEST(PatchInfoDlg, BytesInOtherEncodingsSurviveAnUntouchedForm) {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  // A Shift-JIS name and a Latin-1 author, with a comment that brings up the form.
  const std::string name = "\x83\x7d\x83\x6a\x83\x85\x83\x41\x83\x8b";
  dir.Write("game.dat", "; notes\r\nname=" + name +
                            "\r\nauthor=Andr\xE9\r\nversion=\xC3\xA9t\xC3\xA9" +
                            "\r\nromname=GAME\r\nromsize=8Mbit\r\n");
  const std::string path = dir.Write("game.ips", "PATCHEOF");
  QString shown;
  ASSERT_TRUE(db.InstallPatch(path, [&](PatchRecord& patch) {
    CPatchInfoDlg dlg(patch, prompt, true);
    shown = dlg.findChild<QLineEdit*>("Author")->text() + "/" +
            dlg.findChild<QLineEdit*>("Version")->text();
    dlg.accept();
    return dlg.result() == QDialog::Accepted;
  }));
  EXPECT_EQ(shown, QString::fromUtf8("Andr\xC3\xA9/\xC3\xA9t\xC3\xA9"));  // Latin-1, UTF-8
  ASSERT_TRUE(db.Save(dir.File("brindle.dat")));
  EXPECT_NE(ReadFileBytes(dir.File("brindle.dat"))
                .find(name + "|Andr\xE9|\xC3\xA9t\xC3\xA9||" + path + "|GAME|8Mbit|\r\n"),
            std::string::npos);
}
