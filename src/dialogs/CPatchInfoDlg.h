#pragma once

#include <QDialog>
#include <string>

#include "db/PatchInfoForm.h"
#include "db/PatchRecord.h"
#include "prompt/UserPrompt.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

/// "Patch Information": a patch's descriptive fields and its target ROM. OK checks the form and
/// writes it into the record; Cancel leaves the record alone. Without `allowEdit` the fields can
/// be looked at but not confirmed: the first change puts a notice in place of OK.
class CPatchInfoDlg final : public QDialog {
  Q_OBJECT

 public:
  CPatchInfoDlg(PatchRecord& patch, UserPrompt& prompt, bool allowEdit, QWidget* parent = nullptr);

  void accept() override;

 private:
  void CreateWidgets();
  void LoadFields();
  void ConnectWidgets();
  void OnFieldChanged();
  PatchInfoForm CollectForm() const;

  PatchRecord& m_patch;
  UserPrompt& m_prompt;
  const bool m_allowEdit;

  QLineEdit* m_patchName = nullptr;
  QLineEdit* m_author = nullptr;
  QLineEdit* m_version = nullptr;
  QLineEdit* m_filename = nullptr;
  QLineEdit* m_romName = nullptr;
  QComboBox* m_size = nullptr;
  QCheckBox* m_header = nullptr;
  QLineEdit* m_digest = nullptr;
  QPlainTextEdit* m_description = nullptr;
  QPushButton* m_ok = nullptr;
  QLabel* m_lockNotice = nullptr;
};
