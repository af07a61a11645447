#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "db/CPatchDB.h"
#include "dialogs/CPatchSetInfoDlg.h"
#include "support/ScriptedPrompt.h"

// What is shown and what goes back: the set's own fields edited (the description on one line,
// untouched bytes kept), the rest shown only; a locked form trades OK for the notice.
TEST(PatchSetInfoDlg, ShowsTheSetAndEditsOnlyItsOwnFields) {
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  auto patch = std::make_unique<PatchRecord>();
  patch->PatchName = "Hack";
  patch->Filename = "/p/hack.bps";
  db.AppendPatch(std::move(patch));
  PatchSetRecord set{"Both",    "Ann",
                     "Caf\xe9", "Old",
                     "GAME",    "8Mbit No header",
                     "",        {"/p/hack.bps", "/p/gone.ips"},
                     8,         {}};
  const PatchSetRecord before = set;

  CPatchSetInfoDlg locked(set, db, false);
  auto* author = locked.findChild<QLineEdit*>("Author");
  QTest::keyClick(author, Qt::Key_X);
  EXPECT_TRUE(locked.findChild<QPushButton*>("OK")->isHidden());
  EXPECT_FALSE(locked.findChild<QLabel*>("LockNotice")->isHidden());
  locked.accept();
  EXPECT_EQ(set, before);

  CPatchSetInfoDlg dialog(set, db, true);
  EXPECT_EQ(dialog.windowTitle(), "Patch Information");
  EXPECT_TRUE(dialog.findChild<QLineEdit*>("SetName")->isReadOnly());
  EXPECT_EQ(dialog.findChild<QLineEdit*>("SetName")->text(), "Both");
  EXPECT_EQ(dialog.findChild<QLineEdit*>("RomName")->text(), "GAME");
  EXPECT_EQ(dialog.findChild<QLineEdit*>("Size")->text(), "8Mbit No header");
  auto* patches = dialog.findChild<QListWidget*>("Patches");
  ASSERT_EQ(patches->count(), 2);
  EXPECT_EQ(patches->item(0)->text(), "Hack  (/p/hack.bps)");
  EXPECT_EQ(patches->item(1)->text(), "/p/gone.ips  (not installed)");
  author = dialog.findChild<QLineEdit*>("Author");
  author->selectAll();
  QTest::keyClicks(author, "Bea");
  auto* description = dialog.findChild<QPlainTextEdit*>("Description");
  description->selectAll();
  QTest::keyClicks(description, "a\rb");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(set.Author, "Bea");
  EXPECT_EQ(set.Version, "Caf\xe9");
  EXPECT_EQ(set.Description, "a b");
  EXPECT_EQ(set.SetName, "Both");
  EXPECT_EQ(set.Patches, before.Patches);
}
