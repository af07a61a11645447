#pragma once

#include <QObject>
#include <functional>
#include <span>
#include <utility>
#include <vector>

#include "app/CSortListModel.h"
#include "ui/DialogLayout.h"

class CSortListCtrl;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QWidget;

/// One entry of a pane's context menu; id 0 is a separator.
struct PaneMenuEntry {
  const char* text;
  int id;
};

/// A key pressed in a pane's list, or a double-click in it, and the command it gives directly,
/// whatever the command's enable rule says.
struct PaneKey {
  int key;  // Qt::Key, or kDoubleClick
  int id;
  /// Stands for a double-click where a key would: no key has this code (Qt gives 0 to keys it
  /// cannot name, so 0 will not do).
  static constexpr int kDoubleClick = -1;
};

/// What makes a pane of the main window: its controls and their places (in dialog units), its
/// columns and its commands.
struct ListPaneLayout {
  /// "Patch" gives the list "PatchList" and the filter field "PatchFilter".
  const char* name;
  ControlRow list;
  /// The heading above the list first, then the buttons and lines beside it.
  std::span<const ControlRow> controls;
  ControlRow filter;
  const char* columns;
  std::span<const PaneMenuEntry> menu;
  std::span<const PaneKey> keys;
};

/// A list of the main window with what belongs to it: its heading, its filter field, its
/// buttons, its context menu and keys. The pane places its controls on the window itself, so
/// that the window's background shows around them, and reports every command to the window,
/// which runs it.
class CListPane final : public QObject {
  Q_OBJECT

 public:
  /// Places the pane's controls on `window`, `top` pixels below its top edge (the menu bar).
  CListPane(QWidget& window, const ListPaneLayout& layout, int top);

  CSortListCtrl* List() const { return m_list; }
  QLineEdit* Filter() const { return m_filter; }
  QLabel* Heading() const { return m_heading; }
  QMenu* Menu() const { return m_menu; }
  QPushButton* FindButton(int id) const;
  QAction* FindAction(int id) const;
  /// True when `widget` is one of the pane's controls (or inside one).
  bool Contains(const QWidget* widget) const;

  /// Creates the columns (and, for the patch list, nothing else: the window hides what it
  /// must).
  void CreateColumns();
  /// Sets each button and menu item to what `isEnabled` says of its command.
  void UpdateCommandStates(const std::function<bool(int id)>& isEnabled);
  /// Puts the cursor in the filter field, its text selected.
  void FocusFilter();

 signals:
  /// A button or a context-menu item, subject to its enable rule.
  void CommandChosen(int id);
  /// A key in the list or a double-click on it, to be run whatever the enable rules say.
  void CommandKey(int id);
  /// The selection or the rows shown changed.
  void RowsChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnKey(int key);
  void OnFilterEdited(const QString& text);

  const ListPaneLayout& m_layout;
  CSortListCtrl* m_list = nullptr;
  QLineEdit* m_filter = nullptr;
  QLabel* m_heading = nullptr;
  QMenu* m_menu = nullptr;
  std::vector<std::pair<int, QPushButton*>> m_buttons;
  std::vector<std::pair<int, QAction*>> m_actions;
};
