#pragma once

#include <QDialog>
#include <string>

#include "db/PatchSetRecord.h"

class CPatchDB;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

/// "Patch Information" of a patch set: its name, its patches in the order they are applied and
/// its ROM, shown; its Author, Version and Description, edited. OK writes them into the set;
/// Cancel leaves it alone. Without `allowEdit` the first change puts the notice in place of OK,
/// as for a patch.
class CPatchSetInfoDlg final : public QDialog {
  Q_OBJECT

 public:
  CPatchSetInfoDlg(PatchSetRecord& set, const CPatchDB& db, bool allowEdit,
                   QWidget* parent = nullptr);

  void accept() override;

 private:
  void CreateWidgets();
  void LoadFields(const CPatchDB& db);
  void ConnectWidgets();
  void OnFieldChanged();

  PatchSetRecord& m_set;
  const bool m_allowEdit;

  QLineEdit* m_author = nullptr;
  QLineEdit* m_version = nullptr;
  QPlainTextEdit* m_description = nullptr;
  QPushButton* m_ok = nullptr;
  QLabel* m_lockNotice = nullptr;
};
