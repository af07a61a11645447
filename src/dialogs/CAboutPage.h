#pragma once

#include <QWidget>
#include <string>

/// The Options dialog's About page: the program's name and version, what it plays and with
/// what, where its database is, its licence and home page.
class CAboutPage final : public QWidget {
  Q_OBJECT

 public:
  /// `databaseDir` is the folder of the brindle.dat in use.
  CAboutPage(const std::string& databaseDir, QWidget* parent);

  /// The page's text, as rich text: a link for the home page.
  static QString AboutText(const std::string& databaseDir);

 private:
  void CreateWidgets(const std::string& databaseDir);
};
