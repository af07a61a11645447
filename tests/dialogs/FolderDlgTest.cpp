#include "dialogs/CFolderDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "platform/Folders.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

// The picker shown on a temporary folder tree, with the keyboard in its "Folder:" field.
struct Picker {
  TempDir dir;
  ScriptedPrompt prompt;
  std::unique_ptr<CFolderDlg> dlg;
  QLineEdit* field = nullptr;

  Picker() {
    dir.Write("Program Files/x", "x");
    dir.Write("games/snes/x", "x");
    dir.Write("gamma/x", "x");
    dir.Write("notes.txt", "x");
    dlg = std::make_unique<CFolderDlg>(prompt, dir.Path());
    dlg->show();
    QApplication::setActiveWindow(dlg.get());
    field = dlg->findChild<QLineEdit*>("Folder");
  }
  std::string Field() const { return field->text().toStdString(); }
  void Type(const QString& keys) { QTest::keyClicks(field, keys); }
  void Key(Qt::Key key) { QTest::keyClick(field, key); }
};

}  // namespace

TEST(FolderDlg, TypingCompletesAndBrowses) {
  Picker p;
  const std::string root = p.dir.Path() + "/";
  EXPECT_EQ(p.dlg->windowTitle(), "Select Folder");
  EXPECT_EQ(p.Field(), root);
  EXPECT_EQ(p.field->selectedText(), "");

  p.Type("Prog");
  EXPECT_EQ(p.Field(), root + "Program Files");
  EXPECT_EQ(p.field->selectedText(), "ram Files");
  p.Key(Qt::Key_End);
  p.Type("/");  // into the folder
  EXPECT_EQ(p.dlg->GetFolder(), root + "Program Files/");
  EXPECT_EQ(p.Field(), root + "Program Files/");

  p.field->setText(QString::fromStdString(root));
  p.Type("ga");  // games and gamma
  EXPECT_EQ(p.Field(), root + "ga");
  p.Type("m");
  EXPECT_EQ(p.Field(), root + "gam");
  p.Key(Qt::Key_Backspace);
  p.Type("mes");
  EXPECT_EQ(p.Field(), root + "games");
  p.Key(Qt::Key_Backspace);
  EXPECT_EQ(p.Field(), root + "game");  // Backspace never completes
  p.Key(Qt::Key_Left);
  p.Type("x");
  EXPECT_EQ(p.Field(), root + "gamxe");  // nor does a character short of the end

  // Enter goes into a folder named relative to the one shown and ends the text with "/".
  p.dlg->GoTo(root);
  p.field->setText("games/snes");
  p.Key(Qt::Key_Return);
  EXPECT_EQ(p.dlg->GetFolder(), root + "games/snes/");
  EXPECT_EQ(p.Field(), root + "games/snes/");
  // Delete after a folder's separator goes there.
  p.field->setText(QString::fromStdString(root + "gamma/x"));
  p.Key(Qt::Key_End);
  p.Key(Qt::Key_Left);
  p.Key(Qt::Key_Delete);
  EXPECT_EQ(p.dlg->GetFolder(), root + "gamma/");
  EXPECT_TRUE(p.prompt.boxes.empty());
}

TEST(FolderDlg, OpenChecksTheFolderAndKeysStayInTheField) {
  Picker p;
  const std::string root = p.dir.Path() + "/";
  p.Key(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), p.dlg->findChild<QPushButton*>("Open"));
  p.field->setFocus();
  p.Key(Qt::Key_Escape);
  EXPECT_TRUE(p.dlg->isVisible());

  p.field->setText(QString::fromStdString(root + "notes.txt"));
  p.dlg->findChild<QPushButton*>("Open")->click();
  EXPECT_TRUE(p.dlg->isVisible());
  EXPECT_EQ(p.prompt.boxes.size(), 1u);

  p.prompt.answers = {BoxAnswer::Yes};
  p.field->setText("new/");
  p.dlg->findChild<QPushButton*>("Open")->click();
  EXPECT_EQ(p.dlg->result(), QDialog::Accepted);
  EXPECT_EQ(p.dlg->GetFolder(), root + "new/");
  EXPECT_EQ(GetPathKind(root + "new"), PathKind::Folder);
}
