#include "dialogs/CMakePatchSetDlg.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <utility>

#include "db/CPatchDB.h"
#include "dialogs/PatchSetTexts.h"
#include "ui/CDialogUnits.h"
#include "ui/DialogLayout.h"
#include "ui/DisplayText.h"

namespace {

constexpr int kNone = -1;

constexpr ControlRow kControls[] = {
    {kNone, ControlKind::Label, "SetNameLabel", "Set &Name:", 7, 10, 44, 8},
    {kNone, ControlKind::Edit, "SetName", "", 53, 7, 280, 14},
    {kNone, ControlKind::Label, "PatchesLabel", "&Patches, in the order they are applied:", 7, 28,
     270, 8},
    {kNone, ControlKind::ListBox, "Patches", "", 7, 39, 270, 96},
    {kNone, ControlKind::PushButton, "MoveUp", "Move &Up", 283, 39, 50, 14},
    {kNone, ControlKind::PushButton, "MoveDown", "Move &Down", 283, 57, 50, 14},
    {1, ControlKind::DefaultPushButton, "OK", "OK", 229, 141, 50, 14},
    {2, ControlKind::PushButton, "Cancel", "Cancel", 283, 141, 50, 14},
};

// The patches' names one after the other, as a first name for the set; "/" and "|" cannot be
// in it (it names the set's saves).
std::string SuggestedName(const CPatchDB& db, const std::vector<int>& patches) {
  std::string name;
  for (int index : patches) {
    if (const PatchRecord* patch = db.GetPatch(index)) {
      if (!name.empty())
        name += " + ";
      name += patch->PatchName;
    }
  }
  for (char& c : name) {
    if (c == '/' || c == '|')
      c = '-';
  }
  return name;
}

}  // namespace

CMakePatchSetDlg::CMakePatchSetDlg(CPatchDB& db, std::vector<int> patches, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_db(db),
      m_patches(std::move(patches)) {
  CreateWidgets();
  LoadFields();
  ConnectWidgets();
}

void CMakePatchSetDlg::CreateWidgets() {
  setWindowTitle("Make Patch Set");
  setFixedSize(CDialogUnits().ToPixels(0, 0, 340, 162).size());
  CreateControls(*this, kControls);
  m_name = findChild<QLineEdit*>("SetName");
  m_list = findChild<QListWidget*>("Patches");
  m_up = findChild<QPushButton*>("MoveUp");
  m_down = findChild<QPushButton*>("MoveDown");
  findChild<QLabel*>("SetNameLabel")->setBuddy(m_name);
  findChild<QLabel*>("PatchesLabel")->setBuddy(m_list);
  for (QPushButton* button : {m_up, m_down}) {
    // Enter confirms the dialog, whichever of them was pressed last.
    button->setAutoDefault(false);
  }
  m_up->setToolTip("Ctrl+Up");
  m_down->setToolTip("Ctrl+Down");
  m_list->installEventFilter(this);
}

void CMakePatchSetDlg::LoadFields() {
  m_suggestedName = SuggestedName(m_db, m_patches);
  m_name->setText(DisplayText(m_suggestedName));
  m_name->selectAll();
  for (int index : m_patches) {
    const PatchRecord* patch = m_db.GetPatch(index);
    m_list->addItem(patch == nullptr ? QString()
                                     : DisplayText(PatchSetEntryText(m_db, patch->Filename)));
  }
  m_list->setCurrentRow(0);
  UpdateButtons();
}

void CMakePatchSetDlg::ConnectWidgets() {
  connect(findChild<QPushButton*>("OK"), &QPushButton::clicked, this, &CMakePatchSetDlg::accept);
  connect(findChild<QPushButton*>("Cancel"), &QPushButton::clicked, this,
          &CMakePatchSetDlg::reject);
  connect(m_up, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
  connect(m_down, &QPushButton::clicked, this, [this] { MoveSelected(1); });
  connect(m_list, &QListWidget::currentRowChanged, this, &CMakePatchSetDlg::UpdateButtons);
}

void CMakePatchSetDlg::MoveSelected(int step) {
  const int from = m_list->currentRow();
  const int to = from + step;
  if (from < 0 || to < 0 || to >= m_list->count())
    return;
  std::swap(m_patches[static_cast<size_t>(from)], m_patches[static_cast<size_t>(to)]);
  m_list->insertItem(to, m_list->takeItem(from));
  m_list->setCurrentRow(to);
}

void CMakePatchSetDlg::UpdateButtons() {
  const int row = m_list->currentRow();
  m_up->setEnabled(row > 0);
  m_down->setEnabled(row >= 0 && row + 1 < m_list->count());
}

bool CMakePatchSetDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_list && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() == Qt::ControlModifier &&
        (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
      MoveSelected(key->key() == Qt::Key_Up ? -1 : 1);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void CMakePatchSetDlg::accept() {
  std::vector<std::string> paths;
  for (int index : m_patches) {
    if (const PatchRecord* patch = m_db.GetPatch(index))
      paths.push_back(patch->Filename);
  }
  // The database says why it refuses; what was typed stays for the user to mend.
  if (!m_db.AddPatchSet(TextBytes(m_name->text(), m_suggestedName), paths))
    return;
  QDialog::accept();
}
