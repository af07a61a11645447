#include "dialogs/CFolderDlg.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

#include "dialogs/CFolderTree.h"
#include "platform/FolderRules.h"
#include "platform/Folders.h"
#include "platform/Path.h"
#include "ui/CDialogUnits.h"
#include "ui/DialogLayout.h"
#include "ui/DisplayText.h"

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
constexpr QRect kTreeRect(7, 7, 246, 150);
constexpr QSize kClientSize(260, 201);

// "." and ".." taken away and separators single, without looking at the disk.
std::string CleanPath(const std::string& path) {
  std::vector<std::string> names;
  for (size_t from = 0; from <= path.size();) {
    const size_t slash = std::min(path.find('/', from), path.size());
    const std::string name = path.substr(from, slash - from);
    if (name == "..") {
      if (!names.empty())
        names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    from = slash + 1;
  }
  std::string clean;
  for (const std::string& name : names)
    clean += "/" + name;
  return clean.empty() ? "/" : clean;
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
  m_baseSize = units.ToPixels(QRect(QPoint(0, 0), kClientSize)).size();
  setMinimumSize(m_baseSize);
  resize(m_baseSize);

  m_tree = new CFolderTree(this);
  m_tree->setObjectName("FolderTree");
  m_tree->setGeometry(units.ToPixels(kTreeRect));
  CreateControls(*this, kControls);
  m_field = findChild<QLineEdit*>("Folder");
  m_open = findChild<QPushButton*>("Open");
  m_cancel = findChild<QPushButton*>("Cancel");
  auto* label = findChild<QLabel*>("FolderLabel");
  label->setBuddy(m_field);
  m_anchors = {{m_tree, m_tree->geometry(), false, false, true, true},
               {label, label->geometry(), false, true, false, false},
               {m_field, m_field->geometry(), false, true, true, false},
               {m_open, m_open->geometry(), true, true, false, false},
               {m_cancel, m_cancel->geometry(), true, true, false, false}};
  // The field keeps Tab, Enter and Escape from the dialog, and follows up every other key.
  m_field->installEventFilter(this);
}

void CFolderDlg::LoadFields() {
  Browse(StartingFolder(m_initialFolder, GetHomeFolder()));
  m_field->setFocus();
}

void CFolderDlg::ConnectWidgets() {
  connect(m_tree, &CFolderTree::FolderPicked, this,
          [this](const QByteArray& folder) { Browse(folder.toStdString()); });
  // A folder picked with the mouse leaves the keyboard in the field, ready for a name; arrow
  // keys in the tree keep it there.
  connect(m_tree, &QTreeView::clicked, m_field, [this] { m_field->setFocus(); });
  connect(m_open, &QPushButton::clicked, this, &CFolderDlg::accept);
  connect(m_cancel, &QPushButton::clicked, this, &CFolderDlg::reject);
}

void CFolderDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  const int dx = width() - m_baseSize.width();
  const int dy = height() - m_baseSize.height();
  for (const Anchor& a : m_anchors) {
    QRect rect = a.rect;
    rect.translate(a.moveX ? dx : 0, a.moveY ? dy : 0);
    rect.setWidth(rect.width() + (a.growX ? dx : 0));
    rect.setHeight(rect.height() + (a.growY ? dy : 0));
    a.control->setGeometry(rect);
  }
}

void CFolderDlg::Browse(const std::string& folder) {
  m_folder = folder.empty() || folder.back() != '/' ? folder + "/" : folder;
  m_shown = m_folder;
  m_field->setText(PathText(m_folder));
  m_field->end(false);
  m_tree->ShowFolder(m_folder);
}

std::string CFolderDlg::FieldText() const {
  return PathBytes(m_field->text(), m_shown, m_folder);
}

void CFolderDlg::GoTo(const std::string& text) {
  if (!text.empty()) {
    const std::string folder = CleanPath(ResolveFolderText(text, m_folder));
    if (GetPathKind(folder) == PathKind::Folder)
      Browse(folder);
  }
  m_field->end(false);
}

bool CFolderDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_field)
    return QDialog::eventFilter(watched, event);
  if (event->type() == QEvent::FocusIn) {
    static_cast<QObject*>(m_field)->event(event);
    // The field always shows a folder with the caret at its end, also when the dialog gives it
    // the focus as if by Tab (which would select the whole text).
    if (m_field->selectedText() == m_field->text())
      m_field->end(false);
    return true;
  }
  if (event->type() != QEvent::KeyPress)
    return false;
  return OnFieldKey(static_cast<QKeyEvent*>(event));
}

bool CFolderDlg::OnFieldKey(QKeyEvent* key) {
  const bool completionShown = std::exchange(m_completionShown, false);
  switch (key->key()) {
    case Qt::Key_Tab:
      m_open->setFocus(Qt::TabFocusReason);
      return true;
    case Qt::Key_Backtab:
      focusNextPrevChild(false);
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
  // A "/" typed over a completion takes it and goes on inside the completed folder.
  if (completionShown && key->text() == "/" && m_field->hasSelectedText() &&
      m_field->selectionEnd() == m_field->text().size()) {
    m_field->end(false);
  }
  const QString before = m_field->text();
  static_cast<QObject*>(m_field)->event(key);
  // Backspace counts as a typed character, but never completes. Keys that type nothing (Ctrl+A,
  // the arrows) are the field's own.
  if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace)
    OnEdited(false);
  else if (!key->text().isEmpty() && m_field->text() != before)
    OnEdited(key->text().at(0).isPrint());
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
  // Enter on the folder being browsed takes it, as Open does; on a path typed to elsewhere it
  // goes there first, and a second Enter takes it.
  const std::string typed = FieldText();
  if (typed.empty() || CleanPath(ResolveFolderText(typed, m_folder)) == CleanPath(m_folder)) {
    accept();
    return;
  }
  const EnterStep step = EnterFolderText(typed, m_folder, m_prompt);
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
  if (GoesToAsTyped(text, m_folder))
    GoTo(text);
  else if (completionAllowed && caretAtEnd)
    Complete(text);
  m_field->setFocus();
}

void CFolderDlg::Complete(const std::string& text) {
  const std::string added = CompleteFolderName(text, m_folder);
  if (added.empty())
    return;
  // The last name with what completes it, shown as the tree shows that folder's name.
  const QString field = m_field->text();
  const qsizetype nameStart = field.lastIndexOf('/') + 1;
  const QString typed = field.mid(nameStart);
  const QString name = DisplayText(text.substr(FolderOf(text).size()) + added);
  const qsizetype from = name.startsWith(typed) ? field.size() : nameStart;
  m_field->setText(field.left(nameStart) + name);
  // Selected, so that typing on replaces the suggestion.
  m_field->setSelection(static_cast<int>(from), static_cast<int>(m_field->text().size() - from));
  m_completionShown = true;
}
