#pragma once

#include <QHeaderView>
#include <array>
#include <memory>

class QMenu;

/// The heading row of a CSortListCtrl. It remembers the column and direction of the last sort,
/// shows no sort indicator, and offers a right-click menu of the columns (a check mark on each
/// visible one) that hides and shows columns. A column is visible while its width is above 0;
/// hiding it keeps its width for showing it again.
class CSortHeaderCtrl final : public QHeaderView {
  Q_OBJECT

 public:
  /// Widths are remembered for this many columns; ShowColumn ignores columns beyond them.
  static constexpr int kSavedWidthCount = 256;

  explicit CSortHeaderCtrl(QWidget* parent = nullptr);

  /// Hiding keeps the current width and sets it to 0; showing restores the kept width, which
  /// is 0 for a column never hidden this way (so it stays invisible).
  void ShowColumn(int column, bool show);
  bool IsColumnVisible(int column) const;

  /// -1 until the first sort.
  int GetSortColumn() const { return m_sortColumn; }
  bool IsSortAscending() const { return m_ascending; }
  void SetSortColumn(int column, bool ascending);

  /// The direction a click on `column` sorts in: descending only when `column` was the last
  /// sort column and that sort was ascending.
  bool GetClickDirection(int column) const;

  /// The menu a right-click shows: one item per column, in column order, titled after the
  /// column, checked when the column is visible; item i carries the id i + 1 as its data.
  std::unique_ptr<QMenu> CreateColumnMenu(QWidget* parent = nullptr) const;
  /// Carries out the choice of the menu item with `id`: toggles that column's visibility.
  void ChooseColumnMenuItem(int id);

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  int m_sortColumn = -1;
  bool m_ascending = true;
  std::array<int, kSavedWidthCount> m_savedWidths{};
};
