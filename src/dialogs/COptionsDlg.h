#pragma once

#include <QDialog>
#include <QPixmap>
#include <array>
#include <string>

#include "dialogs/OptionsPage.h"

class CAboutPage;
class CIconBar;
class CPatchDB;
class CPrefsPage;
class CRomOptionsPage;
class CZsnesPage;
class QPainter;
class UserPrompt;

/// "Options": every setting of brindle.dat on four pages, chosen from a page bar on the left.
/// The pages read the settings when the dialog opens; OK writes them back, Cancel writes
/// nothing.
class COptionsDlg final : public QDialog {
  Q_OBJECT

 public:
  static constexpr unsigned kPageBarId = 201528;
  static constexpr int kPageCount = 4;

  /// `appDir` is the program's folder, where the page icons are; `databaseDir` the folder of
  /// the database in use, which About shows.
  COptionsDlg(CPatchDB& db, UserPrompt& prompt, OptionsPage page, const std::string& appDir,
              QWidget* parent = nullptr, const std::string& databaseDir = {});

  /// Shows one page and hides the others; an index outside the pages changes nothing.
  void ShowPage(int index);
  /// The page shown, or -1.
  int VisiblePage() const;

  CIconBar* PageBar() const { return m_bar; }
  CZsnesPage* EmulatorPage() const { return m_zsnes; }

  /// OK: the pages write back in their order, then the dialog closes.
  void accept() override;

 private:
  void CreateWidgets();
  void LoadFields();
  void ConnectWidgets();
  void DrawPageItem(int index, QPainter* painter) const;
  void FocusPage(int index);
  /// Shows the next page (`step` 1) or the previous one (-1), round the bar.
  void StepPage(int step);

  CPatchDB& m_db;
  UserPrompt& m_prompt;
  OptionsPage m_initialPage;
  std::string m_appDir;
  std::string m_databaseDir;
  CIconBar* m_bar = nullptr;
  CPrefsPage* m_prefs = nullptr;
  CZsnesPage* m_zsnes = nullptr;
  CRomOptionsPage* m_romOptions = nullptr;
  CAboutPage* m_about = nullptr;
  std::array<QWidget*, kPageCount> m_pages{};
  /// A page whose icon file cannot be read has a null picture and shows its label alone.
  std::array<QPixmap, kPageCount> m_icons;
};
