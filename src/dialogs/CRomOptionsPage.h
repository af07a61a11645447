#pragma once

#include <QWidget>

class CPatchDB;
class QCheckBox;

/// The Options dialog's ROM Options page: digest checks and the parentheses rule.
class CRomOptionsPage final : public QWidget {
  Q_OBJECT

 public:
  enum Control {
    kIgnoreParens = 1022,
    kIgnoreHash = 1023,
  };

  CRomOptionsPage(const CPatchDB& db, QWidget* parent);

  /// Writes the page into the settings.
  void Store(CPatchDB& db) const;

 private:
  void CreateWidgets();
  void LoadFields(const CPatchDB& db);

  QCheckBox* m_ignoreHash = nullptr;
  QCheckBox* m_ignoreParens = nullptr;
};
