#pragma once

#include <QDialog>
#include <string>

#include "db/RomRecord.h"
#include "prompt/UserPrompt.h"

class CPatchDB;
class CStatusText;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

/// "ROM Information": what the database knows of one ROM image. The identification is shown
/// read-only; the digest can be recomputed from the file, and the ROM can be given a name of the
/// user's choosing. OK writes the forced name, its check box and the digest into the record.
class CRomInfoDlg final : public QDialog {
  Q_OBJECT

 public:
  CRomInfoDlg(RomRecord& rom, CPatchDB& db, UserPrompt& prompt, QWidget* parent = nullptr);

  void accept() override;

 private:
  void CreateWidgets();
  void LoadFields();
  void ConnectWidgets();
  void Recompute();
  void ShowLuckyCharms();
  void ColourFields();

  RomRecord& m_rom;
  CPatchDB& m_db;
  UserPrompt& m_prompt;
  std::string m_digest;  // the bytes the digest field shows: stored, or last recomputed
  bool m_digestMismatch = false;
  int m_recomputeCount = 0;

  QLineEdit* m_romName = nullptr;
  QComboBox* m_size = nullptr;
  QCheckBox* m_header = nullptr;
  QLineEdit* m_filename = nullptr;
  QLineEdit* m_digestEdit = nullptr;
  CStatusText* m_status = nullptr;
  QCheckBox* m_force = nullptr;
  QLineEdit* m_forcedName = nullptr;
  QPushButton* m_recompute = nullptr;
  QPushButton* m_leprechaun = nullptr;
};
