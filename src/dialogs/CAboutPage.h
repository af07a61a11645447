#pragma once

#include <QWidget>

/// The Options dialog's About page: the program's name, version and a few words about it.
class CAboutPage final : public QWidget {
  Q_OBJECT

 public:
  explicit CAboutPage(QWidget* parent);

 private:
  void CreateWidgets();
};
