#pragma once

#include <QDialog>
#include <string>
#include <vector>

class CPatchDB;
class QLineEdit;
class QListWidget;
class QPushButton;

/// "Make Patch Set": names a new set of installed patches and puts them in the order they are
/// applied (the buttons, or Ctrl+Up and Ctrl+Down in the list). OK adds the set to the database,
/// which says why when it cannot; the dialog then stays open. Cancel adds nothing.
class CMakePatchSetDlg final : public QDialog {
  Q_OBJECT

 public:
  /// `patches` are indices of installed patches, in the order first offered.
  CMakePatchSetDlg(CPatchDB& db, std::vector<int> patches, QWidget* parent = nullptr);

  void accept() override;
  /// The patches in the order shown.
  const std::vector<int>& Patches() const { return m_patches; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateWidgets();
  void LoadFields();
  void ConnectWidgets();
  /// Moves the selected patch one place up (-1) or down (1).
  void MoveSelected(int step);
  void UpdateButtons();

  CPatchDB& m_db;
  std::vector<int> m_patches;
  std::string m_suggestedName;

  QLineEdit* m_name = nullptr;
  QListWidget* m_list = nullptr;
  QPushButton* m_up = nullptr;
  QPushButton* m_down = nullptr;
};
