#include "dialogs/CFolderDlg.h"

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <functional>

#include "platform/FolderRules.h"
#include "platform/Folders.h"
#include "platform/Path.h"
#include "ui/CDialogUnits.h"

/// The "Folder:" field. It keeps Tab, Enter and Escape from the dialog and tells the picker about
/// every key after the field has done its own editing.
class CFolderField final : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;

  std::function<void()> onTab;
  std::function<void()> onEnter;
  /// After an edit by Delete (false) or by a typed character or Backspace (true).
  std::function<void(bool typed, bool backspace)> onEdited;

 protected:
  void focusInEvent(QFocusEvent* event) override {
    QLineEdit::focusInEvent(event);
    // The field always shows a folder with the caret at its end, also when the dialog gives it
    // the focus as if by Tab (which would select the whole text).
    if (hasSelectedText() && selectedText() == text())
      end(false);
  }

  bool event(QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        onTab();
        return true;
      }
    }
    return QLineEdit::event(event);
  }

  void keyPressEvent(QKeyEvent* event) override {
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        onEnter();
        return;
      case Qt::Key_Escape:
        // Only Cancel closes the picker.
        return;
      default:
        break;
    }
    QLineEdit::keyPressEvent(event);
    event->accept();
    if (event->key() == Qt::Key_Delete)
      onEdited(false, false);
    else if (event->key() == Qt::Key_Backspace)
      onEdited(true, true);
    else if (!event->text().isEmpty())
      onEdited(true, false);
  }
};

namespace {

std::string ToBytes(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QString FromBytes(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

CFolderDlg::CFolderDlg(UserPrompt& prompt, const std::string& initialFolder, QWidget* parent)
    : QDialog(parent), m_prompt(prompt), m_initialFolder(initialFolder) {
  CreateWidgets();
  LoadFields();
  ConnectWidgets();
}

void CFolderDlg::CreateWidgets() {
  setWindowTitle("Select Folder");
  const CDialogUnits units;
  const QRect client = units.ToPixels(0, 0, 260, 201);
  resize(client.size());

  m_model = new QFileSystemModel(this);
  m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
  m_model->setRootPath("/");
  m_tree = new QTreeView(this);
  m_tree->setObjectName("FolderTree");
  m_tree->setModel(m_model);
  for (int column = 1; column < m_model->columnCount(); ++column)
    m_tree->hideColumn(column);
  m_tree->header()->hide();
  m_tree->setSortingEnabled(true);
  m_tree->sortByColumn(0, Qt::AscendingOrder);
  m_tree->setGeometry(units.ToPixels(7, 7, 246, 150));

  auto* label = new QLabel("Folder:", this);
  label->setObjectName("FolderLabel");
  label->setGeometry(units.ToPixels(7, 164, 28, 8));
  m_field = new CFolderField(this);
  m_field->setObjectName("Folder");
  m_field->setGeometry(units.ToPixels(37, 162, 160, 14));
  m_open = new QPushButton("Open", this);
  m_open->setObjectName("Open");
  m_open->setGeometry(units.ToPixels(203, 162, 50, 14));
  m_open->setDefault(true);
  m_cancel = new QPushButton("Cancel", this);
  m_cancel->setObjectName("Cancel");
  m_cancel->setGeometry(units.ToPixels(203, 180, 50, 14));
  m_cancel->setAutoDefault(false);
  label->setBuddy(m_field);
  setTabOrder(m_tree, m_field);
  setTabOrder(m_field, m_open);
  setTabOrder(m_open, m_cancel);
}

void CFolderDlg::LoadFields() {
  std::string start = m_initialFolder;
  if (GetPathKind(start) != PathKind::Folder)
    start = GetHomeFolder();
  Browse(ToBytes(QDir::cleanPath(FromBytes(start))));
  m_field->setFocus();
}

void CFolderDlg::ConnectWidgets() {
  connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid())
              Browse(ToBytes(m_model->filePath(current)));
          });
  // A folder picked with the mouse leaves the keyboard in the field, ready for a name; arrow
  // keys in the tree keep it there.
  connect(m_tree, &QTreeView::clicked, m_field, [this] { m_field->setFocus(); });
  // Folders are read and sorted in the background: the way down to the folder shown opens and
  // stays in view as they come, until the user opens, closes or scrolls the tree.
  connect(m_model, &QFileSystemModel::directoryLoaded, this, &CFolderDlg::ShowInTree);
  connect(m_model, &QFileSystemModel::layoutChanged, this, &CFolderDlg::ShowInTree);
  const auto stopFollowing = [this] {
    if (!m_showing)
      m_following = false;
  };
  connect(m_tree, &QTreeView::expanded, this, stopFollowing);
  connect(m_tree, &QTreeView::collapsed, this, stopFollowing);
  connect(m_tree->verticalScrollBar(), &QScrollBar::actionTriggered, this, stopFollowing);
  connect(m_open, &QPushButton::clicked, this, &CFolderDlg::accept);
  connect(m_cancel, &QPushButton::clicked, this, &CFolderDlg::reject);
  m_field->onTab = [this] { m_open->setFocus(Qt::TabFocusReason); };
  m_field->onEnter = [this] { OnEnter(); };
  m_field->onEdited = [this](bool typed, bool backspace) { OnEdited(typed && !backspace); };
}

void CFolderDlg::Browse(const std::string& folder) {
  m_folder = folder.empty() || folder.back() != '/' ? folder + "/" : folder;
  m_field->setText(FromBytes(m_folder));
  m_field->end(false);
  m_following = true;
  ShowInTree();
}

void CFolderDlg::ShowInTree() {
  const QModelIndex index = m_model->index(FromBytes(m_folder));
  if (!index.isValid() || !m_following)
    return;
  m_showing = true;
  const QSignalBlocker blocker(m_tree->selectionModel());
  // Open down to the folder and show what is inside it.
  for (QModelIndex level = index; level.isValid(); level = level.parent())
    m_tree->expand(level);
  m_tree->setCurrentIndex(index);
  m_tree->scrollTo(index);
  m_showing = false;
}

std::string CFolderDlg::FieldText() const {
  return ToBytes(m_field->text());
}

void CFolderDlg::GoTo(const std::string& text) {
  if (!text.empty()) {
    const std::string path = MakeAbsolute(text, m_folder);
    const std::string folder = ToBytes(QDir::cleanPath(FromBytes(path)));
    if (GetPathKind(folder) == PathKind::Folder)
      Browse(folder);
  }
  m_field->end(false);
}

void CFolderDlg::accept() {
  const FolderStep step = CheckFolderToOpen(FieldText(), m_folder, m_prompt);
  if (!step.go) {
    m_field->setFocus();
    return;
  }
  GoTo(step.path);
  QDialog::accept();
}

void CFolderDlg::OnEnter() {
  const EnterStep step = EnterFolderText(FieldText(), m_folder, m_prompt);
  if (!step.go)
    return;
  GoTo(step.path);
  if (step.finish && !m_field->text().endsWith('/')) {
    m_field->setText(m_field->text() + '/');
    m_field->end(false);
  }
  m_field->setFocus();
}

void CFolderDlg::OnEdited(bool completionAllowed) {
  const std::string text = FieldText();
  const bool caretAtEnd =
      !m_field->hasSelectedText() && m_field->cursorPosition() == m_field->text().size();
  if (GoesToAsTyped(text, m_folder)) {
    GoTo(text);
  } else if (completionAllowed && caretAtEnd) {
    const QString added = FromBytes(CompleteFolderName(text, m_folder));
    if (!added.isEmpty()) {
      const int from = m_field->text().size();
      m_field->setText(m_field->text() + added);
      // Selected, so that typing on replaces the suggestion.
      m_field->setSelection(from, added.size());
    }
  }
  m_field->setFocus();
}
