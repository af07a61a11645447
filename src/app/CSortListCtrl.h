#pragma once

#include <QString>
#include <QTreeView>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/CSortListModel.h"
#include "app/RowRecord.h"

class CSortHeaderCtrl;
class QIcon;

/// A report list that sorts itself when a heading is clicked. Each row keeps its cell texts and
/// one caller-supplied whole number, the item value (a record index, say), which stays with the
/// row whatever the order on screen; the list knows nothing else of what it shows.
///
/// Single selection of whole rows, shown even without focus. The rows stay in the caller's order
/// until a heading is clicked: the first click on a column sorts it ascending, the next one on
/// the same column descending, and so on (see CellOrder.h for the order).
/// A right-click on the headings offers a menu for hiding and showing columns.
///
/// A list over the caller's records reads its texts from them when they are shown: give it a
/// text source, fill it with FillRows, and call RefreshRows after records changed. A list can
/// also keep texts of its own: hand all rows over at once with ReplaceAllRows (their order and
/// item values included). Both stay linear in the number of rows, where deleting and inserting
/// rows one at a time near the top would not.
///
/// A filter shows only the rows with a visible cell containing a text; row indices are then
/// those of the rows shown, and sorting, selection and the keyboard work on them as on a full
/// list.
///
/// Texts are bytes, shown decoded as UTF-8. Row and column indices are 0-based.
class CSortListCtrl final : public QTreeView {
  Q_OBJECT

 public:
  explicit CSortListCtrl(QWidget* parent = nullptr);
  ~CSortListCtrl() override;

  CSortListModel* GetModel() const { return m_model; }
  CSortHeaderCtrl* GetHeaderCtrl() const { return m_header; }

  // Columns.
  /// Appends the columns of a list such as "Patch Name,200;Author,85;Size,2,80": entries
  /// separated by ";", each "title,width" or "title,alignment,width" (alignment 1 centred, 2
  /// right, anything else left; widths in pixels, at least 1). An entry without "," ends the
  /// list. False as soon as a column is refused (those added before it stay).
  bool InsertColumns(const QString& columns);
  /// Inserts one column before `index`; rows already present get an empty cell there. False when
  /// `index` is out of range or the list already has 256 columns.
  bool InsertColumn(int index, const QString& title, Qt::Alignment alignment, int width);
  int GetColumnCount() const;

  // Rows.
  int GetRowCount() const;
  /// Inserts a row before `row` (beyond the end appends) with one text per column (missing ones
  /// empty) and item value 0. Returns the new row's index, or -1 for a negative index.
  int InsertRow(int row, const std::vector<std::string>& texts);
  /// False when `row` is out of range.
  bool DeleteRow(int row);
  /// Removes every row at once; returns how many there were.
  int DeleteAllRows();
  /// Replaces every row at once, in the given order and with the given item values. Filling a
  /// list this way costs one pass, however many rows.
  void ReplaceAllRows(std::vector<RowRecord> rows);
  /// Where rows filled by FillRows read their texts.
  void SetTextSource(CellTextSource source);
  /// Replaces every row with rows for records 0 to count - 1 of the text source, in that order,
  /// each with its record's index as item value, then one row for each value of `more`.
  void FillRows(int count, std::span<const int32_t> more = {});
  /// Shows the records' current texts in every row, or in one (which is selected again).
  void RefreshRows();
  void RefreshRow(int row);
  /// Rebuilds one row's texts in place, keeping its item value, its position and its selection.
  /// False when `row` is out of range.
  bool ReplaceRowTexts(int row, const std::vector<std::string>& texts);
  std::string GetRowText(int row, int column) const;
  /// False when `row` is out of range.
  bool SetItemValue(int row, int32_t value);
  /// The row must exist (0 otherwise).
  int32_t GetItemValue(int row) const;

  // Selection.
  /// The lowest selected row above `start` (from row 0 when `start` is negative), or -1.
  int GetFirstSelected(int start = -1) const;
  /// Selects `row` (and only it) and makes it current. False when `row` is out of range.
  bool SelectRow(int row);

  // Look.
  void SetGridLines(bool on);
  bool HasGridLines() const { return m_gridLines; }
  /// The small icon shown at the start of every row (of rows with a negative item value, the
  /// second one when it is given).
  void SetRowIcon(const QIcon& icon, const QIcon& negativeIcon = {});
  /// Whether the shown columns are sized to their contents within the list's width at every
  /// fill, until the user sizes a column himself, with the last one stretching to the right
  /// edge (from the next fill on). Off by default: the columns keep the widths they were made
  /// with.
  void SetFitColumns(bool on);
  /// Sizes the shown columns to their contents (the first rows measured) within the list's
  /// width: a column that needs less than its share gets what it needs, the others share the
  /// rest, and the last one takes what is left.
  void FitColumnsToContents();

  /// Shows only the rows with a visible cell that contains `text` in any letter case; an empty
  /// text shows them all. Columns shown or hidden later are taken into account.
  void SetFilter(const QString& text);
  const QString& GetFilter() const;

  /// Sorts by `column` in the given direction and remembers both in the header; a column out
  /// of range does nothing. Selection and item values follow their rows.
  void SortByColumn(int column, bool ascending);

 signals:
  /// A double-click of the left button anywhere in the list; `row` is -1 on the empty part.
  void ListDoubleClicked(int row);
  /// A key pressed in the list, before the list's own handling of it.
  void ListKeyPressed(int key);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void updateGeometries() override;

 private:
  void OnHeadingClicked(int column);
  void OnColumnResized(int column, int oldWidth, int newWidth);
  std::vector<int> VisibleColumns() const;
  /// The width the columns may take without a horizontal scroll bar.
  int ColumnRoom() const;
  /// Widens or narrows the last shown column to the right edge, not below what it needs.
  void StretchLastColumn();

  CSortListModel* m_model = nullptr;
  CSortHeaderCtrl* m_header = nullptr;
  bool m_gridLines = false;
  bool m_fitColumns = false;
  bool m_userSizedColumns = false;
  bool m_sizingColumns = false;  // while the list sizes them itself
  bool m_fitWhenShown = false;
  std::vector<int> m_neededWidths;  // by column, from the last fit
};
