#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/RowRecord.h"

/// The rows and columns behind a CSortListCtrl: it owns every row's RowRecord, the column titles
/// and alignments, and sorts the rows. It works without a view, so the list's behaviour can be
/// checked (and driven) directly; the view only adds widths, selection and painting.
///
/// Row and column indices are 0-based. Every operation that changes rows emits the matching
/// model signals, so selections and other persistent indices follow their rows.
class CSortListModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  /// Columns from this index on are refused: the header remembers widths for 256 columns only.
  static constexpr int kMaxColumns = 256;

  explicit CSortListModel(QObject* parent = nullptr);

  // Columns.
  int GetColumnCount() const { return static_cast<int>(m_columns.size()); }
  /// Inserts a column before `index` (GetColumnCount() appends). Existing rows get an empty cell
  /// there, their other cells stay. False when `index` is out of range or the list is full.
  bool InsertColumn(int index, const QString& title, Qt::Alignment alignment);
  QString GetColumnTitle(int column) const;
  Qt::Alignment GetColumnAlignment(int column) const;

  // Rows.
  int GetRowCount() const { return static_cast<int>(m_rows.size()); }
  /// Inserts a row before `row` (an index beyond the end appends) with one text per column:
  /// missing texts are empty, extra ones are dropped; the item value starts at 0. Returns the
  /// index of the new row, or -1 for a negative index.
  int InsertRow(int row, const std::vector<std::string>& texts);
  /// False when `row` is out of range.
  bool DeleteRow(int row);
  /// Removes every row in one step; returns how many there were.
  int DeleteAllRows();
  /// Replaces every row in one step (texts fitted to the column count as by InsertRow, item
  /// values kept). Use it to fill a list: it costs one pass however many rows there are.
  void ReplaceAllRows(std::vector<RowRecord> rows);
  /// Replaces one row's texts (fitted as by InsertRow) and keeps its item value and its place.
  /// False when `row` is out of range.
  bool ReplaceRowTexts(int row, const std::vector<std::string>& texts);
  /// The row's record; nullptr when `row` is out of range.
  const RowRecord* GetRow(int row) const;
  /// The cell's text; empty when the row or column does not exist.
  std::string GetRowText(int row, int column) const;
  /// False when `row` is out of range.
  bool SetItemValue(int row, int32_t value);
  /// The row's item value. Reading a row that does not exist is a caller error; it gives 0.
  int32_t GetItemValue(int row) const;

  /// The icon shown in the first column of every row; a null icon shows none.
  void SetRowIcon(const QIcon& icon);

  /// Sorts the rows by the texts of `column`; an index out of range does nothing. See
  /// CompareCellTexts for the order. Equal rows keep their relative order.
  void SortByColumn(int column, bool ascending);

  /// The ordering used by the sort, for one pair of cells in ascending order: -1, 0 or 1.
  /// Texts are trimmed; an empty one compares as text; otherwise A decides: a whole number
  /// compares both by their leading numeric value, a date (in the user's locale) compares by
  /// time when B is one too, and anything else compares byte by byte (capitals first).
  static int CompareCellTexts(const std::string& a, const std::string& b);
  /// Decimal digits, optionally after a "+" or "-" that is not the whole text.
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

  void FitTexts(std::vector<std::string>& texts) const;

  std::vector<ColumnInfo> m_columns;
  std::vector<RowRecord> m_rows;
  QIcon m_rowIcon;
};
