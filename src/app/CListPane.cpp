#include "app/CListPane.h"

#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "app/CSortListCtrl.h"
#include "ui/CDialogUnits.h"

namespace {

constexpr char kFilterPlaceholder[] = "Filter (Ctrl+F)";

}  // namespace

CListPane::CListPane(QWidget& window, const ListPaneLayout& layout, int top)
    : QObject(&window), m_layout(layout) {
  const std::vector<QWidget*> controls = CreateControls(window, layout.controls, top);
  m_heading = qobject_cast<QLabel*>(controls.front());
  m_heading->setAutoFillBackground(true);
  m_filter = qobject_cast<QLineEdit*>(CreateControl(window, layout.filter, top));
  m_filter->setPlaceholderText(kFilterPlaceholder);
  m_filter->setClearButtonEnabled(true);
  m_filter->installEventFilter(this);

  const CDialogUnits units;
  const ControlRow& list = layout.list;
  m_list = new CSortListCtrl(&window);
  m_list->setObjectName(list.objectName);
  m_list->setProperty("controlId", list.id);
  m_list->setGeometry(units.ToPixels(list.x, list.y, list.width, list.height).translated(0, top));
  QWidget::setTabOrder(m_filter, m_list);
  m_list->setContextMenuPolicy(Qt::CustomContextMenu);

  for (QWidget* control : controls) {
    if (auto* button = qobject_cast<QPushButton*>(control)) {
      const int id = ControlId(*button);
      connect(button, &QPushButton::clicked, this, [this, id] { emit CommandChosen(id); });
      m_buttons.emplace_back(id, button);
    }
  }
  m_menu = new QMenu(&window);
  for (const PaneMenuEntry& entry : layout.menu) {
    if (entry.id == 0) {
      m_menu->addSeparator();
      continue;
    }
    QAction* action = m_menu->addAction(entry.text);
    action->setData(entry.id);
    connect(action, &QAction::triggered, this, [this, id = entry.id] { emit CommandChosen(id); });
    m_actions.emplace_back(entry.id, action);
  }

  connect(m_list, &QWidget::customContextMenuRequested, this,
          [this] { m_menu->exec(QCursor::pos()); });
  connect(m_list, &CSortListCtrl::ListKeyPressed, this, &CListPane::OnKey);
  connect(m_list, &CSortListCtrl::ListDoubleClicked, this,
          [this](int) { OnKey(PaneKey::kDoubleClick); });
  connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &CListPane::RowsChanged);
  connect(m_filter, &QLineEdit::textChanged, this, &CListPane::OnFilterEdited);
}

QPushButton* CListPane::FindButton(int id) const {
  for (const auto& [buttonId, button] : m_buttons) {
    if (buttonId == id)
      return button;
  }
  return nullptr;
}

QAction* CListPane::FindAction(int id) const {
  for (const auto& [actionId, action] : m_actions) {
    if (actionId == id)
      return action;
  }
  return nullptr;
}

bool CListPane::Contains(const QWidget* widget) const {
  for (; widget != nullptr; widget = widget->parentWidget()) {
    if (widget == m_list || widget == m_filter || widget == m_heading)
      return true;
    for (const auto& entry : m_buttons) {
      if (entry.second == widget)
        return true;
    }
  }
  return false;
}

void CListPane::CreateColumns() {
  m_list->InsertColumns(m_layout.columns);
}

void CListPane::UpdateCommandStates(const std::function<bool(int id)>& isEnabled) {
  for (auto& [id, action] : m_actions)
    action->setEnabled(isEnabled(id));
  for (auto& [id, button] : m_buttons)
    button->setEnabled(isEnabled(id));
}

void CListPane::FocusFilter() {
  m_filter->setFocus(Qt::ShortcutFocusReason);
  m_filter->selectAll();
}

void CListPane::OnKey(int key) {
  for (const PaneKey& binding : m_layout.keys) {
    if (binding.key == key) {
      emit CommandKey(binding.id);
      return;
    }
  }
}

void CListPane::OnFilterEdited(const QString& text) {
  m_list->SetFilter(text);
  emit RowsChanged();
}

bool CListPane::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_filter || event->type() != QEvent::KeyPress)
    return QObject::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  // Escape empties the field and goes back to the list, without closing the window; Down goes
  // to the list too, onto its first row when none is selected.
  if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
    m_filter->clear();
    m_list->setFocus(Qt::OtherFocusReason);
    return true;
  }
  if (key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier) {
    if (m_list->GetFirstSelected() < 0)
      m_list->SelectRow(0);
    m_list->setFocus(Qt::OtherFocusReason);
    return true;
  }
  return QObject::eventFilter(watched, event);
}
