#pragma once

#include <QDialog>
#include <string>

class QFileSystemModel;
class QLineEdit;
class QPushButton;
class QTreeView;
class UserPrompt;

/// "Select Folder": a folder tree and a "Folder:" field that always shows the folder being
/// browsed. Typing helps: a unique subfolder name is completed, Enter goes into a folder, a
/// missing folder is created on request, and Open checks the typed folder before accepting it.
class CFolderDlg final : public QDialog {
  Q_OBJECT

 public:
  /// Starts in `initialFolder` when it is a folder, otherwise in the user's home folder.
  CFolderDlg(UserPrompt& prompt, const std::string& initialFolder = {}, QWidget* parent = nullptr);

  /// The folder browsed last, ending in "/"; after OK, the chosen folder.
  const std::string& GetFolder() const { return m_folder; }

  /// Goes into the folder a text names (taken inside the folder shown when it is relative);
  /// anything else leaves the picker where it is. The field's caret goes to its end.
  void GoTo(const std::string& text);

  /// Open: checks the field's text and closes only when it names a folder (or one was made).
  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateWidgets();
  void LoadFields();
  void ConnectWidgets();

  void Browse(const std::string& folder);
  void ShowInTree();
  std::string FieldText() const;
  void OnEnter();
  void OnEdited(bool completionAllowed);

  UserPrompt& m_prompt;
  std::string m_initialFolder;
  std::string m_folder;
  bool m_following = false;  // keeping the folder shown in view while the tree fills in
  bool m_showing = false;
  QFileSystemModel* m_model = nullptr;
  QTreeView* m_tree = nullptr;
  QLineEdit* m_field = nullptr;
  QPushButton* m_open = nullptr;
  QPushButton* m_cancel = nullptr;
};
