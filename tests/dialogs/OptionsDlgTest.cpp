#include "dialogs/COptionsDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <filesystem>

#include <sys/stat.h>

#include "db/CPatchDB.h"
#include "dialogs/CZsnesPage.h"
#include "platform/Folders.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"
#include "ui/CIconBar.h"

namespace {

// The dialog on a database with the first-run settings, its icons beside the tests.
struct Options {
  ScriptedPrompt prompt;
  CPatchDB db{prompt};
  std::unique_ptr<COptionsDlg> dlg;

  Options() {
    db.SetDefaults();
    db.ZSNES = "/opt/zsnes/";
    db.ZSNESVer = "zsnes";
    db.ZExecutable = "dosbox \"/opt/zsnes/zsnes.exe\"";
    db.ZConfig = "/opt/zsnes/zsnes.cfg";
  }
  void Open(OptionsPage page, const std::string& appDir = BRINDLE_TEST_BINARY_DIR) {
    dlg = std::make_unique<COptionsDlg>(db, prompt, page, appDir);
    dlg->show();
  }
  template <typename T>
  T* Find(const char* name) const {
    T* widget = dlg->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  void ClickBar(CIconBar* bar, int item) {
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->ItemRect(item).center());
  }
  std::string Vars() const {
    const std::string all = db.Serialize();
    return all.substr(0, all.find("\r\n\r\n") + 2);
  }
};

}  // namespace

TEST(OptionsDlg, OpensAtTheAskedPageAndTheBarSwitchesPages) {
  Options o;
  o.Open(kRomOptionsPage);
  EXPECT_EQ(o.dlg->windowTitle(), "Options");
  CIconBar* bar = o.dlg->PageBar();
  EXPECT_EQ(bar->size(), QSize(77, 344));
  EXPECT_EQ(bar->GetSelection(), 2);
  EXPECT_EQ(o.dlg->VisiblePage(), 2);
  EXPECT_TRUE(o.Find<QWidget>("RomOptionsPage")->isVisible());
  for (const char* hidden : {"PreferencesPage", "EmulatorPage", "AboutPage"})
    EXPECT_FALSE(o.Find<QWidget>(hidden)->isVisible()) << hidden;
  o.ClickBar(bar, 3);
  EXPECT_EQ(o.dlg->VisiblePage(), 3);
  o.ClickBar(bar, 5);  // an empty slot
  EXPECT_EQ(o.dlg->VisiblePage(), 3);

  // A page whose icon file is missing shows its label alone; the others keep their icons.
  TempDir app;
  std::filesystem::create_directory(app.File("icons"));
  for (const std::string icon : {"opt.ico", "snescart.ico", "info.ico"}) {
    std::filesystem::copy_file(std::string(BRINDLE_TEST_BINARY_DIR) + "/icons/" + icon,
                               app.File("icons/" + icon));
  }
  Options partial;
  partial.Open(kPreferencesPage, app.Path());
  const QImage image = partial.dlg->PageBar()->grab().toImage();
  const auto inked = [&image](int top) {
    int count = 0;
    for (int y = top + 8; y < top + 32; ++y) {
      for (int x = 27; x < 51; ++x)
        count += image.pixelColor(x, y) != QColor(Qt::white) ? 1 : 0;
    }
    return count;
  };
  EXPECT_EQ(inked(58), 0);     // the emulator page's icon
  EXPECT_GT(inked(115), 100);  // the ROM Options page's
}

TEST(OptionsDlg, TheKeyboardWalksTheBarThePagesAndTheirControls) {
  Options o;
  o.db.IgnoreHash = false;
  o.Open(kEmulatorPage);
  QApplication::setActiveWindow(o.dlg.get());
  const auto focus = [] {
    const QWidget* widget = QApplication::focusWidget();
    return widget ? widget->objectName() : QString();
  };
  const auto key = [](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
  };
  const auto tabs = [&](int count) {
    QStringList order;
    for (int i = 0; i < count; ++i) {
      key(Qt::Key_Tab);
      order << focus();
    }
    return order;
  };
  // The page's first field has the focus; Tab goes through the page, the buttons and the bar.
  EXPECT_EQ(focus(), "ZsnesDirectory");
  EXPECT_EQ(tabs(10), (QStringList{"Browse", "ZsnesVersion", "SaveWithPatches", "ZsnesExecutable",
                                   "BrowseExecutable", "ZsnesConfig", "BrowseConfig", "Ok",
                                   "Cancel", "PageBar"}));
  // Arrows on the bar change pages and leave the keyboard on the bar.
  key(Qt::Key_Down);
  EXPECT_EQ(o.dlg->VisiblePage(), 2);
  EXPECT_EQ(focus(), "PageBar");
  EXPECT_EQ(tabs(1), QStringList{"IgnoreHash"});
  key(Qt::Key_Space);
  key(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(focus(), "PageBar");
  key(Qt::Key_End);
  EXPECT_EQ(o.dlg->VisiblePage(), 3);
  key(Qt::Key_Down);  // no further
  EXPECT_EQ(o.dlg->PageBar()->GetSelection(), 3);
  key(Qt::Key_Home);
  EXPECT_EQ(o.dlg->VisiblePage(), 0);
  // The icon chooser stands in the order where it is, and its arrows choose the icon.
  EXPECT_EQ(tabs(6), (QStringList{"AlwaysOpenGUI", "GridLines", "Transition", "TransSpeed",
                                  "WindowBackground", "FileIcon"}));
  for (int i = 0; i < 3; ++i)
    key(Qt::Key_Right);
  // Ctrl+Tab and Ctrl+Page Down go to the next page, round the bar, the others back.
  key(Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(o.dlg->VisiblePage(), 1);
  EXPECT_EQ(focus(), "ZsnesDirectory");
  key(Qt::Key_PageUp, Qt::ControlModifier);
  key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(o.dlg->VisiblePage(), 3);
  EXPECT_EQ(o.dlg->PageBar()->GetSelection(), 3);
  key(Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(o.dlg->VisiblePage(), 0);
  key(Qt::Key_Return);  // the dialog's default button
  EXPECT_EQ(o.dlg->result(), QDialog::Accepted);
  EXPECT_EQ(o.db.FileIcon, 3);
  EXPECT_TRUE(o.db.IgnoreHash);
}

TEST(OptionsDlg, CancelKeepsEverySettingAndOkStoresEveryPage) {
  for (bool ok : {false, true}) {
    Options p;
    p.db.Transition = 7;  // outside the list: nothing selected
    const std::string before = p.Vars();
    p.Open(kEmulatorPage);

    // Preferences.
    p.Find<QCheckBox>("GridLines")->setChecked(true);
    p.Find<QSlider>("TransSpeed")->setValue(15);
    p.ClickBar(p.Find<CIconBar>("FileIcon"), 2);
    QLineEdit* background = p.Find<QComboBox>("WindowBackground")->lineEdit();
    background->selectAll();
    QTest::keyClicks(background, "~/my pics/tile.bmp ");
    // Emulator.
    QLineEdit* directory = p.Find<QLineEdit>("ZsnesDirectory");
    directory->clear();
    QTest::keyClicks(directory, "/games/ ZSNES ");
    // ROM Options, without showing the page.
    p.Find<QCheckBox>("IgnoreHash")->setChecked(true);

    p.Find<QPushButton>(ok ? "Ok" : "Cancel")->click();
    if (!ok) {
      EXPECT_EQ(p.Vars(), before);
      continue;
    }
    EXPECT_EQ(p.Vars(),
              "[vars]\r\nZSNES=/games/ZSNES/\r\nZSNESVer=zsnes\r\nZConfig=/games/ZSNES/zsnes.cfg"
              "\r\nZExecutable=/games/ZSNES/zsnes.exe\r\nUseSaveDir=0\r\nIgnoreHash=1\r\n"
              "IgnoreParens=1\r\nAllowEdit=0\r\nRegisterAtStartup=1\r\nAlwaysOpenGUI=0\r\n"
              "WindowBackground=~/my pics/tile.bmp \r\nGridLines=1\r\nFileIcon=3\r\n"
              "Transition=-1\r\nTransSpeed=15\r\n");
  }
  // A background picked from the list is stored as its text.
  Options p;
  p.Open(kPreferencesPage);
  QComboBox* background = p.Find<QComboBox>("WindowBackground");
  QTest::keyClick(background, Qt::Key_Down);
  QTest::keyClick(background, Qt::Key_Down);
  p.dlg->accept();
  EXPECT_EQ(p.db.WindowBackground, "%app%/ZadozEziz.bmp");

  // Typing the start of an entry completes nothing: the box shows what is stored.
  Options typed;
  typed.Open(kPreferencesPage);
  QApplication::setActiveWindow(typed.dlg.get());
  QLineEdit* edit = typed.Find<QComboBox>("WindowBackground")->lineEdit();
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, "%app%/E");
  typed.dlg->accept();
  EXPECT_EQ(edit->text().toStdString() + "|" + typed.db.WindowBackground, "%app%/E|%app%/E");
}

TEST(ZsnesPage, DerivesFileNamesAndKeepsUntouchedBytes) {
  // ZSNES for Linux ignores $HOME: its folder is the one the password database names.
  const ScopedEnv home("HOME", "/elsewhere");
  Options o;
  o.Open(kEmulatorPage);
  QLineEdit* executable = o.Find<QLineEdit>("ZsnesExecutable");
  QLineEdit* config = o.Find<QLineEdit>("ZsnesConfig");
  QComboBox* version = o.Find<QComboBox>("ZsnesVersion");
  EXPECT_EQ(version->currentText(), "ZSNES (DOS)");
  EXPECT_EQ(config->text(), "/opt/zsnes/zsnes.cfg");  // as stored, not derived

  // A version change derives both names; so does every change of the directory.
  version->setCurrentIndex(0);
  EXPECT_EQ(executable->text(), "wine \"/opt/zsnes/zsnesw.exe\"");
  EXPECT_EQ(config->text(), "/opt/zsnes/zsnesw.cfg");
  o.dlg->EmulatorPage()->SetFolderChooser(
      [](QWidget*, const std::string&) { return std::optional<std::string>("/usr/games/zsnes/"); });
  version->setCurrentIndex(2);
  o.Find<QPushButton>("Browse")->click();
  EXPECT_EQ(o.Find<QLineEdit>("ZsnesDirectory")->text(), "/usr/games/zsnes/");
  EXPECT_EQ(executable->text(), "/usr/games/zsnes/zsnes");
  EXPECT_EQ(config->text(),
            QString::fromStdString(*GetPasswordHomeFolder() + "/.zsnes/zsnesl.cfg"));
  o.dlg->accept();
  EXPECT_EQ(o.db.ZSNESVer, "zsnesl");
  EXPECT_EQ(o.db.ZExecutable, "/usr/games/zsnes/zsnes");

  // Browsing to the folder already shown derives the names again.
  o.Open(kEmulatorPage);
  o.dlg->EmulatorPage()->SetFolderChooser(
      [](QWidget*, const std::string&) { return std::optional<std::string>("/usr/games/zsnes/"); });
  o.Find<QLineEdit>("ZsnesExecutable")->setText("custom");
  o.Find<QPushButton>("Browse")->click();
  EXPECT_EQ(o.Find<QLineEdit>("ZsnesExecutable")->text(), "/usr/games/zsnes/zsnes");

  // Untouched, the stored texts go back byte for byte.
  o.db.ZExecutable = "/opt/zsnes/caf\xE9.exe";  // not UTF-8
  o.Open(kEmulatorPage);
  o.dlg->accept();
  EXPECT_EQ(o.db.ZExecutable, "/opt/zsnes/caf\xE9.exe");

  // A character typed and taken back, in a directory stored in Latin-1: the same bytes. The
  // picker starts at the folder in the field.
  o.db.ZSNES = "/opt/caf\xE9/";
  o.Open(kEmulatorPage);
  std::string pickerStart;
  o.dlg->EmulatorPage()->SetFolderChooser([&](QWidget*, const std::string& start) {
    pickerStart = start;
    return std::nullopt;
  });
  QLineEdit* directory = o.Find<QLineEdit>("ZsnesDirectory");
  directory->end(false);
  QTest::keyClick(directory, Qt::Key_X);
  QTest::keyClick(directory, Qt::Key_Backspace);
  o.Find<QPushButton>("Browse")->click();
  EXPECT_EQ(pickerStart, "/opt/caf\xE9/");
  o.dlg->accept();
  EXPECT_EQ(o.db.ZSNES, "/opt/caf\xE9/");
  EXPECT_EQ(o.db.ZExecutable, "/opt/caf\xE9/zsnes");

  // "~" is the home folder in the directory and in the paths typed by hand.
  o.Open(kEmulatorPage);
  o.Find<QLineEdit>("ZsnesDirectory")->setText("~/zsnes");
  o.Find<QLineEdit>("ZsnesConfig")->setText("~/.zsnes/my.cfg");
  o.dlg->accept();
  EXPECT_EQ(o.db.ZSNES, "/elsewhere/zsnes/");
  EXPECT_EQ(o.db.ZExecutable, "/elsewhere/zsnes/zsnes");
  EXPECT_EQ(o.db.ZConfig, "/elsewhere/.zsnes/my.cfg");
}

TEST(ZsnesPage, AZsnesOnThePathIsOfferedUntilOneIsConfigured) {
  TempDir dir;
  dir.Write("not a program/zsnes", "");  // not executable: passed over
  const std::string program = dir.Write("bin/zsnes", "#!/bin/sh\n");
  ASSERT_EQ(::chmod(program.c_str(), 0755), 0);
  const std::string path = "relative:" + dir.File("not a program") + ":" + dir.File("bin") + "/";
  const ScopedEnv searched("PATH", path.c_str());
  const std::string config = *GetPasswordHomeFolder() + "/.zsnes/zsnesl.cfg";

  Options o;
  o.db.ZSNES.clear();
  o.Open(kEmulatorPage);
  EXPECT_EQ(o.Find<QLineEdit>("ZsnesDirectory")->text().toStdString(), dir.File("bin/"));
  EXPECT_EQ(o.Find<QComboBox>("ZsnesVersion")->currentText(), "ZSNES (Linux)");
  EXPECT_EQ(o.Find<QLineEdit>("ZsnesExecutable")->text().toStdString(), program);
  EXPECT_EQ(o.Find<QLineEdit>("ZsnesConfig")->text().toStdString(), config);
  // Nothing is stored until OK.
  o.Find<QPushButton>("Cancel")->click();
  EXPECT_EQ(o.db.ZSNES + "|" + o.db.ZSNESVer + "|" + o.db.ZExecutable,
            "|zsnes|dosbox \"/opt/zsnes/zsnes.exe\"");
  o.Open(kEmulatorPage);
  o.Find<QPushButton>("Ok")->click();
  EXPECT_EQ(o.db.ZSNES + "|" + o.db.ZSNESVer + "|" + o.db.ZExecutable + "|" + o.db.ZConfig,
            dir.File("bin/") + "|zsnesl|" + program + "|" + config);

  // A configured emulator is shown as it is.
  o.db.ZSNES = "/opt/zsnes/";
  o.db.ZSNESVer = "zsnes";
  o.Open(kEmulatorPage);
  EXPECT_EQ(o.Find<QLineEdit>("ZsnesDirectory")->text(), "/opt/zsnes/");
  EXPECT_EQ(o.Find<QComboBox>("ZsnesVersion")->currentText(), "ZSNES (DOS)");
}
