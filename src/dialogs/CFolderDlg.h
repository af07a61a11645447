#pragma once

#include <QDialog>
#include <QRect>
#include <string>
#include <vector>

class CFolderTree;
class QLineEdit;
class QPushButton;
class UserPrompt;

/// "Select Folder": a folder tree and a "Folder:" field that always shows the folder being
/// browsed. Typing helps: a unique subfolder name is completed, Enter goes into a folder, a
/// missing folder is created on request, and Open checks the typed folder before accepting it.
/// Folder names are bytes: one that is not UTF-8 is shown in Latin-1 and still names its folder.
class CFolderDlg final : public QDialog {
  Q_OBJECT

 public:
  /// Starts in `initialFolder`, or in the nearest folder above it that exists; in the user's home
  /// folder without one.
  CFolderDlg(UserPrompt& prompt, const std::string& initialFolder = {}, QWidget* parent = nullptr);

  /// The folder browsed last, ending in "/"; after OK, the chosen folder.
  const std::string& GetFolder() const { return m_folder; }

  /// Goes into the folder a text names (taken inside the folder shown when it is relative, "~"
  /// being the home folder); anything else leaves the picker where it is. The field's caret goes
  /// to its end.
  void GoTo(const std::string& text);

  /// Open: checks the field's text and closes only when it names a folder (or one was made).
  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void CreateWidgets();
  void LoadFields();
  void ConnectWidgets();

  void Browse(const std::string& folder);
  std::string FieldText() const;
  bool OnFieldKey(QKeyEvent* key);
  void OnEnter();
  void OnEdited(bool completionAllowed);
  void Complete(const std::string& text);

  // Where a control goes when the dialog is resized: it follows the right or bottom edge, or
  // grows with the dialog.
  struct Anchor {
    QWidget* control;
    QRect rect;
    bool moveX, moveY, growX, growY;
  };

  UserPrompt& m_prompt;
  std::string m_initialFolder;
  std::string m_folder;
  std::string m_shown;  // the bytes the field was last shown from
  bool m_completionShown = false;
  QSize m_baseSize;
  std::vector<Anchor> m_anchors;
  CFolderTree* m_tree = nullptr;
  QLineEdit* m_field = nullptr;
  QPushButton* m_open = nullptr;
  QPushButton* m_cancel = nullptr;
};
