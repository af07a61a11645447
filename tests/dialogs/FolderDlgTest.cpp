#include "dialogs/CFolderDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "platform/Folders.h"
#include "support/ScopedEnv.h"
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
    dir.Write("caf\xE9/x", "x");  // Latin-1, not UTF-8
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
  // Enter on the folder shown takes it, as Open does.
  EXPECT_TRUE(p.dlg->isVisible());
  p.Key(Qt::Key_Return);
  EXPECT_EQ(p.dlg->result(), QDialog::Accepted);
  EXPECT_EQ(p.dlg->GetFolder(), root + "gamma/");
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

TEST(FolderDlg, AFolderNamedInLatin1IsListedTypedAndChosenAsItself) {
  Picker p;
  const std::string root = p.dir.Path() + "/";
  const QString cafe = QString::fromUtf8("caf\xC3\xA9");
  auto* tree = p.dlg->findChild<QTreeView*>("FolderTree");
  QStringList listed;
  for (int row = 0; row < tree->model()->rowCount(tree->currentIndex()); ++row)
    listed << tree->model()->index(row, 0, tree->currentIndex()).data().toString();
  EXPECT_EQ(listed, (QStringList{cafe, "games", "gamma", "Program Files"}));

  // Completed, then "/" typed over the completion goes into it.
  p.Type("caf");
  EXPECT_EQ(p.field->text(), QString::fromStdString(root) + cafe);
  EXPECT_EQ(p.field->selectedText(), cafe.right(1));
  p.Type("/");
  EXPECT_EQ(p.dlg->GetFolder(), root + "caf\xE9/");
  p.field->setText(QString::fromStdString(root) + cafe);
  p.dlg->findChild<QPushButton*>("Open")->click();
  EXPECT_EQ(p.dlg->result(), QDialog::Accepted);
  EXPECT_EQ(p.dlg->GetFolder(), root + "caf\xE9/");
  EXPECT_TRUE(p.prompt.boxes.empty());
}

TEST(FolderDlg, KeysHomeFolderAndResizing) {
  Picker p;
  const std::string root = p.dir.Path() + "/";
  QTest::keyClick(p.field, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(p.field->selectedText(), p.field->text());
  p.Key(Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget(), p.dlg->findChild<QTreeView*>("FolderTree"));

  {
    const ScopedEnv home("HOME", (root + "games").c_str());
    p.field->setFocus();
    p.field->clear();
    p.Type("~/");
  }
  EXPECT_EQ(p.dlg->GetFolder(), root + "games/");

  // The tree and the field grow with the dialog; the buttons keep to its corner.
  auto* open = p.dlg->findChild<QPushButton*>("Open");
  const QRect field = p.field->geometry(), button = open->geometry();
  p.dlg->resize(p.dlg->size() + QSize(120, 80));
  EXPECT_EQ(p.field->geometry(), field.adjusted(0, 80, 120, 80));
  EXPECT_EQ(open->geometry(), button.translated(120, 80));

  // It starts in the folder it is given, or the nearest one above it.
  CFolderDlg deeper(p.prompt, root + "games/gone/");
  EXPECT_EQ(deeper.GetFolder(), root + "games/");
}
