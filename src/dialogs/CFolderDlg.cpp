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

#include "platform/FolderRules.h"
#include "platform/Folders.h"
#include "platform/Path.h"
#include "ui/CDialogUnits.h"
#include "ui/DialogLayout.h"

namespace {

constexpr int kFolderLabel = 1090;
constexpr int kFolderField = 181;
constexpr int kOpen = 182;
constexpr int kCancel = 2;

// Below the folder tree, which the layout does not make.
constexpr ControlRow kControls[] = {
    {kFolderLabel, ControlKind::Label, "FolderLabel", "Folder:", 7, 164, 28, 8},
    {kFolderField, ControlKind::Edit, "Folder", "", 37, 162, 160, 14},
    {kOpen, ControlKind::DefaultPushButton, "Open", "Open", 203, 162, 50, 14},
    {kCancel, ControlKind::PushButton, "Cancel", "Cancel", 203, 180, 50, 14},
};

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

  CreateControls(*this, kControls);
  m_field = findChild<QLineEdit*>("Folder");
  m_open = findChild<QPushButton*>("Open");
  m_cancel = findChild<QPushButton*>("Cancel");
  findChild<QLabel*>("FolderLabel")->setBuddy(m_field);
  // The field keeps Tab, Enter and Escape from the dialog, and follows up every other key.
  m_field->installEventFilter(this);
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

bool CFolderDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_field)
    return QDialog::eventFilter(watched, event);
  QObject& field = *m_field;  // its event handling, without passing this filter again
  if (event->type() == QEvent::FocusIn) {
    field.event(event);
    // The field always shows a folder with the caret at its end, also when the dialog gives it
    // the focus as if by Tab (which would select the whole text).
    if (m_field->selectedText() == m_field->text())
      m_field->end(false);
    return true;
  }
  if (event->type() != QEvent::KeyPress)
    return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      m_open->setFocus(Qt::TabFocusReason);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      OnEnter();
      return true;
    case Qt::Key_Escape:
      return true;  // only Cancel closes the picker
    default:
      break;
  }
  field.event(event);
  // Backspace counts as a typed character, but never completes.
  if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace)
    OnEdited(false);
  else if (!key->text().isEmpty())
    OnEdited(true);
  return true;
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
