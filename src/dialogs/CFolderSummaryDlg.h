#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

/// "Add Folder": what adding a folder did. The counts on top, and below them, where there are
/// any, the files that were not added with the reason for each, in a list that scrolls.
class CFolderSummaryDlg final : public QDialog {
  Q_OBJECT

 public:
  CFolderSummaryDlg(const std::string& head, const std::string& details, QWidget* parent = nullptr);

 private:
  void CreateWidgets();
  void LoadFields();
  void ConnectWidgets();

  std::string m_head;
  std::string m_details;
  QLabel* m_counts = nullptr;
  QPlainTextEdit* m_list = nullptr;
  QPushButton* m_ok = nullptr;
};
