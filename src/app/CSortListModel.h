#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/CTextFilter.h"
#include "app/RowRecord.h"

/// Gives the text of a cell for the row with item value `itemValue`: a view of the record's own
/// bytes, or of `scratch` for a text put together for the list.
using CellTextSource =
    std::function<std::string_view(int32_t itemValue, int column, std::string& scratch)>;

/// The rows and columns behind a CSortListCtrl. A row is its item value and, for rows inserted
/// with texts, its own copies of them; rows filled from a text source keep nothing else, their
/// texts are read from the caller's records when shown, sorted or filtered. Row order and the
/// rows a filter lets through are index arrays. It works without a view, so the list's
/// behaviour can be checked (and driven) directly; the view only adds widths, selection and
/// painting.
///
/// Row indices are those of the rows shown (all rows when no filter is set), 0-based. Every
/// operation that changes rows emits the matching model signals, so selections and other
/// persistent indices follow their rows.
class CSortListModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  /// Columns from this index on are refused: the header remembers widths for 256 columns only.
  static constexpr int kMaxColumns = 256;

  explicit CSortListModel(QObject* parent = nullptr);
  ~CSortListModel() override;

  // Columns.
  int GetColumnCount() const { return static_cast<int>(m_columns.size()); }
  /// Inserts a column before `index` (GetColumnCount() appends). Rows with texts of their own
  /// get an empty cell there, their other cells stay. False when `index` is out of range or the
  /// list is full.
  bool InsertColumn(int index, const QString& title, Qt::Alignment alignment);
  QString GetColumnTitle(int column) const;
  Qt::Alignment GetColumnAlignment(int column) const;

  // Rows.
  int GetRowCount() const;
  /// Every row, whether the filter shows it or not.
  int GetTotalRowCount() const { return static_cast<int>(m_rows.size()); }
  /// Where rows without texts of their own read them.
  void SetTextSource(CellTextSource source);
  /// Replaces every row with one per record of the text source, item values 0 to count - 1 in
  /// that order, then one per value of `more` (records of a second kind, which the caller tells
  /// apart by their values). It costs one pass however many rows there are.
  void FillRows(int count, std::span<const int32_t> more = {});
  /// Inserts a row before `row` (an index beyond the end appends) with one text per column:
  /// missing texts are empty, extra ones are dropped; the item value starts at 0. Returns the
  /// index of the new row, or -1 for a negative index (or when the filter hides it).
  int InsertRow(int row, const std::vector<std::string>& texts);
  /// False when `row` is out of range.
  bool DeleteRow(int row);
  /// Removes every row in one step; returns how many there were.
  int DeleteAllRows();
  /// Replaces every row in one step (texts fitted to the column count as by InsertRow, item
  /// values kept).
  void ReplaceAllRows(std::vector<RowRecord> rows);
  /// Replaces one row's texts (fitted as by InsertRow) and keeps its item value and its place.
  /// False when `row` is out of range.
  bool ReplaceRowTexts(int row, const std::vector<std::string>& texts);
  /// Tells the views that the texts of every row (or of one) may have changed in the records.
  void RefreshRows();
  void RefreshRow(int row);
  /// The row's texts and item value; nothing when `row` is out of range.
  std::optional<RowRecord> GetRow(int row) const;
  /// The cell's text; empty when the row or column does not exist.
  std::string GetRowText(int row, int column) const;
  /// False when `row` is out of range.
  bool SetItemValue(int row, int32_t value);
  /// The row's item value. Reading a row that does not exist is a caller error; it gives 0.
  int32_t GetItemValue(int row) const;

  /// The icon shown in the first column of every row; a null icon shows none. Rows with a
  /// negative item value show `negativeIcon` instead, when it is given.
  void SetRowIcon(const QIcon& icon, const QIcon& negativeIcon = {});

  /// Sorts every row, shown or not, by the texts of `column`; an index out of range does
  /// nothing. See CellOrder.h for the order. Equal rows keep their relative order.
  void SortByColumn(int column, bool ascending);

  /// Shows only the rows with a text in one of `columns` that contains `text` in any letter
  /// case; an empty text shows every row. The rows a filter lets through are worked out when it
  /// is set and when the rows are filled, not when texts change.
  void SetFilter(const QString& text, std::vector<int> columns);
  const QString& GetFilter() const { return m_filter.Text(); }

  /// The ordering used by the sort, for one pair of cells in ascending order: -1, 0 or 1.
  static int CompareCellTexts(const std::string& a, const std::string& b);
  static bool IsWholeNumber(std::string_view text);

  // QAbstractItemModel.
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  void sort(int column, Qt::SortOrder order) override;

 private:
  struct ColumnInfo {
    QString title;
    Qt::Alignment alignment;
  };
  struct Row {
    int32_t itemValue = 0;
    // Its texts of its own, one per column, in m_texts; -1 when they come from the text source.
    int32_t texts = -1;
  };
  static constexpr int32_t kSourceTexts = -1;

  void FitTexts(std::vector<std::string>& texts) const;
  /// Keeps `texts` (fitted) as a row's own; the index the row refers to them by.
  int32_t KeepTexts(std::vector<std::string> texts);
  /// The index into m_rows of shown row `row`, or -1.
  int RowIndex(int row) const;
  std::string_view CellText(const Row& row, int column, std::string& scratch) const;
  bool RowMatches(const Row& row, std::string& scratch) const;
  /// Works out which rows the filter lets through (all of them without one); with `narrower`,
  /// only the rows shown so far are looked at.
  void ApplyFilter(bool narrower);
  /// Moves the persistent indices `before` (the selection, the current row) to the rows they
  /// stand for after a change, given as indices into m_rows; rows no longer shown lose them.
  void MovePersistentIndices(const QModelIndexList& before, const std::vector<int>& rowsAfter);

  std::vector<ColumnInfo> m_columns;
  std::vector<Row> m_rows;
  // The texts of the rows that have their own (a row deleted leaves its place unused until all
  // rows are replaced).
  std::vector<std::vector<std::string>> m_texts;
  // Indices into m_rows of the rows shown, ascending; used only while m_filtered.
  std::vector<int32_t> m_shown;
  bool m_filtered = false;
  CTextFilter m_filter;
  std::vector<int> m_filterColumns;
  CellTextSource m_source;
  QIcon m_rowIcon;
  QIcon m_negativeRowIcon;
};
