#include "app/CSortListCtrl.h"

#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QLocale>
#include <QPixmap>
#include <QTest>
#include <algorithm>
#include <random>

#include "app/CSortHeaderCtrl.h"
#include "app/CSortListModel.h"

namespace {

std::vector<std::string> ColumnTexts(const CSortListCtrl& list, int column) {
  std::vector<std::string> texts;
  for (int row = 0; row < list.GetRowCount(); ++row)
    texts.push_back(list.GetRowText(row, column));
  return texts;
}

void FillOneColumn(CSortListCtrl& list, const std::vector<std::string>& texts) {
  for (const std::string& text : texts) {
    const int row = list.InsertRow(list.GetRowCount(), {text});
    list.SetItemValue(row, row);
  }
}

// Dates are read in the user's locale; the tests fix one.
class LocaleScope {
 public:
  explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
  ~LocaleScope() { QLocale::setDefault(m_saved); }

 private:
  QLocale m_saved;
};

}  // namespace

TEST(CSortListCtrl, ColumnLists) {
  CSortListCtrl list;
  CSortHeaderCtrl& header = *list.GetHeaderCtrl();
  EXPECT_TRUE(list.InsertColumns("a,10;b,0;c"));
  ASSERT_EQ(list.GetColumnCount(), 2);
  EXPECT_EQ(list.GetModel()->GetColumnTitle(0), "a");
  EXPECT_EQ(header.sectionSize(0), 10);
  EXPECT_EQ(header.sectionSize(1), 1);

  // Appended after the existing columns; a trailing ";" adds nothing; alignment codes.
  EXPECT_TRUE(list.InsertColumns("x,1,50;y,2,50;z,7,50;w,abc,-4;"));
  ASSERT_EQ(list.GetColumnCount(), 6);
  EXPECT_EQ(list.GetModel()->GetColumnTitle(2), "x");
  EXPECT_EQ(list.GetModel()->GetColumnAlignment(2), Qt::AlignHCenter);
  EXPECT_EQ(list.GetModel()->GetColumnAlignment(3), Qt::AlignRight);
  EXPECT_EQ(list.GetModel()->GetColumnAlignment(4), Qt::AlignLeft);
  EXPECT_EQ(list.GetModel()->GetColumnAlignment(5), Qt::AlignLeft);
  for (int column = 2; column < 5; ++column)
    EXPECT_EQ(header.sectionSize(column), 50);
  EXPECT_EQ(header.sectionSize(5), 1);

  CSortListCtrl patches;
  EXPECT_TRUE(
      patches.InsertColumns("Patch Name,200;Author,85;Version,100;Platform,140;Filename,300;"
                            "ROM Digest,200;"));
  ASSERT_EQ(patches.GetColumnCount(), 6);
  EXPECT_EQ(patches.GetModel()->GetColumnTitle(5), "ROM Digest");
  EXPECT_EQ(patches.GetHeaderCtrl()->sectionSize(4), 300);

  // A refused column stops the list; the columns before it stay.
  CSortListCtrl wide;
  QString columns;
  for (int i = 0; i < 300; ++i)
    columns += QString("c%1,5;").arg(i);
  EXPECT_FALSE(wide.InsertColumns(columns));
  EXPECT_EQ(wide.GetColumnCount(), CSortListModel::kMaxColumns);
}

TEST(CSortListCtrl, RowsItemValuesAndDeletion) {
  CSortListCtrl list;
  ASSERT_TRUE(list.InsertColumns("A,50;B,50;C,50"));
  EXPECT_EQ(list.InsertRow(0, {"one"}), 0);
  EXPECT_EQ(list.InsertRow(9, {"two", "2", "II", "extra"}), 1);
  EXPECT_EQ(list.InsertRow(-1, {"never"}), -1);
  EXPECT_EQ(list.GetRowText(0, 2), "");
  EXPECT_EQ(list.GetModel()->GetRow(1)->texts.size(), 3u);
  EXPECT_EQ(list.GetItemValue(1), 0);
  EXPECT_TRUE(list.SetItemValue(1, -7));
  EXPECT_FALSE(list.SetItemValue(2, 1));
  EXPECT_EQ(list.GetItemValue(1), -7);

  // A column inserted among existing ones gives every row an empty cell there.
  ASSERT_TRUE(list.InsertColumn(1, "New", Qt::AlignLeft, 40));
  EXPECT_EQ(ColumnTexts(list, 2), (std::vector<std::string>{"", "2"}));
  EXPECT_EQ(list.GetRowText(1, 1), "");
  EXPECT_EQ(list.GetRowText(1, 3), "II");
  EXPECT_FALSE(list.InsertColumn(9, "Far", Qt::AlignLeft, 40));

  EXPECT_FALSE(list.DeleteRow(2));
  EXPECT_TRUE(list.DeleteRow(0));
  EXPECT_EQ(list.GetRowText(0, 0), "two");
  EXPECT_EQ(list.GetItemValue(0), -7);
  list.InsertRow(1, {"three"});
  EXPECT_EQ(list.DeleteAllRows(), 2);
  EXPECT_EQ(list.DeleteAllRows(), 0);
}

TEST(CSortListCtrl, ReplacingRowsKeepsValuesAndSelection) {
  CSortListCtrl list;
  ASSERT_TRUE(list.InsertColumns("A,50;B,50"));
  list.ReplaceAllRows({{{"x", "1", "dropped"}, 10}, {{"y"}, 11}, {{"z", "3"}, 12}});
  ASSERT_EQ(list.GetRowCount(), 3);
  EXPECT_EQ(list.GetModel()->GetRow(0)->texts.size(), 2u);
  EXPECT_EQ(list.GetRowText(1, 1), "");
  EXPECT_EQ(list.GetItemValue(2), 12);

  ASSERT_TRUE(list.SelectRow(1));
  EXPECT_TRUE(list.ReplaceRowTexts(1, {"why"}));
  EXPECT_FALSE(list.ReplaceRowTexts(3, {"no"}));
  EXPECT_EQ(list.GetRowText(1, 0), "why");
  EXPECT_EQ(list.GetItemValue(1), 11);
  EXPECT_EQ(list.GetFirstSelected(), 1);

  list.ReplaceAllRows({{{"only"}, 5}});
  EXPECT_EQ(list.GetRowCount(), 1);
  EXPECT_EQ(list.GetFirstSelected(), -1);
}

TEST(CSortListCtrl, SelectionSearch) {
  CSortListCtrl list;
  ASSERT_TRUE(list.InsertColumns("A,50"));
  FillOneColumn(list, {"a", "b", "c", "d"});
  EXPECT_EQ(list.GetFirstSelected(), -1);
  EXPECT_FALSE(list.SelectRow(4));
  ASSERT_TRUE(list.SelectRow(2));
  EXPECT_EQ(list.GetFirstSelected(-1), 2);
  EXPECT_EQ(list.GetFirstSelected(-5), 2);
  EXPECT_EQ(list.GetFirstSelected(1), 2);
  EXPECT_EQ(list.GetFirstSelected(2), -1);
  ASSERT_TRUE(list.SelectRow(0));  // single selection: row 2 is no longer selected
  EXPECT_EQ(list.GetFirstSelected(0), -1);
  EXPECT_EQ(list.GetFirstSelected(), 0);
}

TEST(CSortListCtrl, WholeNumbersAndPlainText) {
  for (const char* whole : {"+5", "-5", "0", "007"})
    EXPECT_TRUE(CSortListModel::IsWholeNumber(whole)) << whole;
  for (const char* other : {"-", "+", "5-", "1+2", "1.5", "", " 5", "x1"})
    EXPECT_FALSE(CSortListModel::IsWholeNumber(other)) << other;

  // A whole number in A makes B count by its leading number, 0 for none.
  EXPECT_EQ(CSortListModel::CompareCellTexts("5", "abc"), 1);
  EXPECT_EQ(CSortListModel::CompareCellTexts("0", "abc"), 0);
  EXPECT_EQ(CSortListModel::CompareCellTexts("12", "12.5kg"), -1);
  EXPECT_EQ(CSortListModel::CompareCellTexts(" 9 ", "10"), -1);
  // Only A decides: the same pair the other way round compares as text.
  EXPECT_EQ(CSortListModel::CompareCellTexts("abc", "5"), 1);
  // Empty and blank cells compare as text, so they come first.
  EXPECT_EQ(CSortListModel::CompareCellTexts("", "-3"), -1);
  EXPECT_EQ(CSortListModel::CompareCellTexts("-3", "  "), 1);
  EXPECT_EQ(CSortListModel::CompareCellTexts(" b", "b\t"), 0);

  CSortListCtrl list;
  ASSERT_TRUE(list.InsertColumns("A,50"));
  FillOneColumn(list, {"10", "9", "100"});
  list.SortByColumn(0, true);
  EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"9", "10", "100"}));
  list.SortByColumn(0, false);
  EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"100", "10", "9"}));

  list.ReplaceAllRows({{{"b"}, 0}, {{"B"}, 1}, {{"a"}, 2}, {{""}, 3}, {{"\xc3\xa9"}, 4}});
  list.SortByColumn(0, true);
  EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"", "B", "a", "b", "\xc3\xa9"}));
}

TEST(CSortListCtrl, DatesInTheUsersLocale) {
  LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
  // As dates, not as the texts they are.
  EXPECT_EQ(CSortListModel::CompareCellTexts("12/7/26", "1/15/27"), -1);
  EXPECT_EQ(CSortListModel::CompareCellTexts("Friday, January 1, 2027", "Monday, December 7, 2026"),
            1);
  EXPECT_EQ(CSortListModel::CompareCellTexts("12/7/26 9:30 PM", "12/7/26 10:15 AM"), 1);
  EXPECT_EQ(CSortListModel::CompareCellTexts("12/7/26", "12/7/26 12:00 AM"), 0);
  // Two-digit years: 00 to 29 are this century's.
  EXPECT_EQ(CSortListModel::CompareCellTexts("1/1/05", "1/1/99"), 1);
  EXPECT_EQ(CSortListModel::CompareCellTexts("1/1/30", "1/1/99"), -1);
  // A text that is no date makes both compare as text.
  EXPECT_EQ(CSortListModel::CompareCellTexts("12/7/26", "1/15/27 later"), 1);
  EXPECT_EQ(CSortListModel::CompareCellTexts("1.2.3", "1.10.0"), 1);

  {
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(CSortListModel::CompareCellTexts("24.12.26", "01.01.27"), -1);
    EXPECT_EQ(CSortListModel::CompareCellTexts("24.12.26", "01.01.27.ips"), 1);
  }

  CSortListCtrl list;
  ASSERT_TRUE(list.InsertColumns("When,80"));
  FillOneColumn(list, {"3/1/26", "12/25/25", "", "1/2/26"});
  list.SortByColumn(0, true);
  EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"", "12/25/25", "1/2/26", "3/1/26"}));
}

// Only A's text picks the kind of comparison, so a mixed column has no consistent order. The
// sort must still keep every row exactly once with its own item value (and, built with the
// sanitizers, never step outside its arrays).
TEST(CSortListCtrl, MixedColumnsSortSafely) {
  LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
  const std::vector<std::string> pool = {"",
                                         " ",
                                         "7",
                                         "-12",
                                         "+3",
                                         "1.5",
                                         "10 apples",
                                         "apple",
                                         "Apple",
                                         "12/7/26",
                                         "1/1/99",
                                         "Monday, December 7, 2026",
                                         "12/7/26 9:30 PM",
                                         "0x1F",
                                         "nan",
                                         "inf",
                                         "1e400",
                                         " 42 ",
                                         "99999999999999999999999",
                                         "b",
                                         "-",
                                         "3/4"};
  std::mt19937 random(12345);
  std::vector<RowRecord> rows;
  for (int i = 0; i < 3000; ++i) {
    const std::string& text = pool[random() % pool.size()];
    rows.push_back({{text, std::to_string(i)}, i});
  }
  CSortListCtrl list;
  ASSERT_TRUE(list.InsertColumns("Mixed,80;Index,40"));
  list.ReplaceAllRows(rows);
  for (int round = 0; round < 6; ++round) {
    list.SortByColumn(round % 2, round % 3 != 0);
    std::vector<bool> seen(rows.size(), false);
    for (int row = 0; row < list.GetRowCount(); ++row) {
      const int32_t value = list.GetItemValue(row);
      ASSERT_GE(value, 0);
      ASSERT_LT(value, static_cast<int32_t>(rows.size()));
      ASSERT_FALSE(seen[static_cast<size_t>(value)]);
      seen[static_cast<size_t>(value)] = true;
      ASSERT_EQ(list.GetRowText(row, 0), rows[static_cast<size_t>(value)].texts[0]);
      ASSERT_EQ(list.GetRowText(row, 1), std::to_string(value));
    }
    EXPECT_EQ(list.GetRowCount(), static_cast<int>(rows.size()));
  }
}

TEST(CSortListCtrl, SortingKeepsValuesSelectionAndTies) {
  CSortListCtrl list;
  ASSERT_TRUE(list.InsertColumns("Name,80;Size,40"));
  list.ReplaceAllRows({{{"c", "2"}, 30}, {{"a", "2"}, 10}, {{"b", "1"}, 20}, {{"a", "3"}, 40}});
  ASSERT_TRUE(list.SelectRow(0));  // "c"

  list.SortByColumn(0, true);
  EXPECT_EQ(ColumnTexts(list, 1), (std::vector<std::string>{"2", "3", "1", "2"}));  // ties stay
  EXPECT_EQ(list.GetFirstSelected(), 3);
  EXPECT_EQ(list.GetItemValue(list.GetFirstSelected()), 30);

  list.SortByColumn(1, false);
  std::vector<int32_t> values;
  for (int row = 0; row < list.GetRowCount(); ++row)
    values.push_back(list.GetItemValue(row));
  EXPECT_EQ(values, (std::vector<int32_t>{40, 10, 30, 20}));
  EXPECT_EQ(list.GetItemValue(list.GetFirstSelected()), 30);
  EXPECT_EQ(list.GetHeaderCtrl()->GetSortColumn(), 1);
  EXPECT_FALSE(list.GetHeaderCtrl()->IsSortAscending());

  // Out of range: nothing sorts, nothing is remembered.
  list.SortByColumn(2, true);
  list.SortByColumn(-1, true);
  EXPECT_EQ(list.GetHeaderCtrl()->GetSortColumn(), 1);
  EXPECT_EQ(list.GetItemValue(0), 40);

  // The remembered sort outlives the rows.
  list.DeleteAllRows();
  EXPECT_EQ(list.GetHeaderCtrl()->GetSortColumn(), 1);
}

TEST(CSortListCtrl, HeadingClicksAlternateDirection) {
  CSortListCtrl list;
  ASSERT_TRUE(list.InsertColumns("Name,80;Size,60"));
  list.ReplaceAllRows({{{"b", "1"}, 0}, {{"a", "3"}, 1}, {{"c", "2"}, 2}});
  list.resize(300, 200);
  list.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
  CSortHeaderCtrl& header = *list.GetHeaderCtrl();
  auto click = [&](int column) {
    const QPoint centre(header.sectionViewportPosition(column) + header.sectionSize(column) / 2,
                        header.height() / 2);
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, centre);
  };

  click(0);
  EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"a", "b", "c"}));
  click(0);
  EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"c", "b", "a"}));
  click(0);
  EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"a", "b", "c"}));
  click(0);
  click(1);  // after a descending sort, another heading starts ascending
  EXPECT_EQ(ColumnTexts(list, 1), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_TRUE(header.IsSortAscending());
  // The arrow follows the sort, and goes with a fill, which puts the rows in the caller's order.
  EXPECT_TRUE(header.isSortIndicatorShown());
  EXPECT_EQ(header.sortIndicatorSection(), 1);
  EXPECT_EQ(header.sortIndicatorOrder(), Qt::AscendingOrder);
  click(1);
  EXPECT_EQ(header.sortIndicatorOrder(), Qt::DescendingOrder);
  list.ReplaceAllRows({{{"b", "1"}, 0}});
  EXPECT_FALSE(header.isSortIndicatorShown());
}

TEST(CSortListCtrl, GridLinesAndRowIcon) {
  CSortListCtrl list;
  ASSERT_TRUE(list.InsertColumns("Name,80;Size,60"));
  list.ReplaceAllRows({{{"a", "1"}, 0}, {{"b", "2"}, 1}});
  list.resize(300, 200);
  list.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));

  // The right edge of the first column, below the rows: only the grid draws there.
  const QPoint probe(list.GetHeaderCtrl()->sectionViewportPosition(0) + 79,
                     list.viewport()->height() - 5);
  auto pixelAt = [&]() { return list.viewport()->grab().toImage().pixelColor(probe); };
  const QColor plain = pixelAt();
  list.SetGridLines(true);
  EXPECT_TRUE(list.HasGridLines());
  EXPECT_NE(pixelAt(), plain);
  list.SetGridLines(false);
  EXPECT_EQ(pixelAt(), plain);

  QPixmap picture(16, 16);
  picture.fill(Qt::red);
  list.SetRowIcon(QIcon(picture));
  const CSortListModel& model = *list.GetModel();
  EXPECT_FALSE(model.data(model.index(1, 0), Qt::DecorationRole).isNull());
  EXPECT_TRUE(model.data(model.index(1, 1), Qt::DecorationRole).isNull());
}

TEST(CSortListCtrl, WidthsSurviveRefillsAndDoubleClicksReportTheRow) {
  CSortListCtrl list;
  ASSERT_TRUE(list.InsertColumns("Name,80;Version,60;Size,50"));
  CSortHeaderCtrl& header = *list.GetHeaderCtrl();
  header.ShowColumn(1, false);
  list.ReplaceAllRows({{{"a", "1", "2"}, 0}, {{"b", "1", "2"}, 1}});
  EXPECT_EQ(list.DeleteAllRows(), 2);
  FillOneColumn(list, {"c", "d"});
  EXPECT_EQ(header.sectionSize(0), 80);
  EXPECT_EQ(header.sectionSize(1), 0);
  EXPECT_EQ(header.sectionSize(2), 50);

  list.resize(300, 200);
  list.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
  std::vector<int> clicked;
  std::vector<int> keys;
  QObject::connect(&list, &CSortListCtrl::ListDoubleClicked,
                   [&](int row) { clicked.push_back(row); });
  QObject::connect(&list, &CSortListCtrl::ListKeyPressed, [&](int key) { keys.push_back(key); });
  const QRect second = list.visualRect(list.GetModel()->index(1, 0));
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, second.center());
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {},
                     QPoint(10, list.viewport()->height() - 5));
  EXPECT_EQ(clicked, (std::vector<int>{1, -1}));
  // A right-click selects the row under the mouse before any context menu opens.
  const QRect first = list.visualRect(list.GetModel()->index(0, 0));
  QTest::mouseClick(list.viewport(), Qt::RightButton, {}, first.center());
  EXPECT_EQ(list.GetFirstSelected(), 0);
  QTest::keyClick(&list, Qt::Key_Delete);
  EXPECT_EQ(keys, (std::vector<int>{Qt::Key_Delete}));
}

// The short date form of a locale is read without the general parser where it can be; either
// way, dates written as the user's locale writes them sort by time.
TEST(CSortListCtrl, ShortDatesOfSeveralLocalesSortByTime) {
  for (const QLocale& locale :
       {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::English, QLocale::UnitedKingdom),
        QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::Japanese, QLocale::Japan)}) {
    LocaleScope scope(locale);
    std::mt19937 random(7);
    std::vector<RowRecord> rows;
    std::vector<QDate> days;
    for (int i = 0; i < 300; ++i) {
      days.push_back(QDate(1990, 1, 1).addDays(static_cast<qint64>(random() % 14000)));
      rows.push_back({{QLocale().toString(days.back(), QLocale::ShortFormat).toStdString()}, i});
    }
    CSortListCtrl list;
    ASSERT_TRUE(list.InsertColumns("When,80"));
    list.ReplaceAllRows(rows);
    list.SortByColumn(0, true);
    for (int row = 1; row < list.GetRowCount(); ++row) {
      ASSERT_LE(days[static_cast<size_t>(list.GetItemValue(row - 1))],
                days[static_cast<size_t>(list.GetItemValue(row))])
          << locale.name().toStdString() << ": " << list.GetRowText(row - 1, 0) << " before "
          << list.GetRowText(row, 0);
    }
  }
}

// Rows read from the caller's records: a filter over the visible columns, with the selection,
// sorting, insertion and deletion keeping every shown row on its own record.
TEST(CSortListCtrl, FilterOverRecordsKeepsRowsSelectionAndOrderStraight) {
  const std::vector<std::vector<std::string>> records = {
      {"Alpha", ""}, {"beta", ""}, {"Gamma", "ALso"}, {"Total", ""}};
  CSortListCtrl list;
  ASSERT_TRUE(list.InsertColumns("Name,80;Note,60"));
  list.SetTextSource([&records](int32_t value, int column, std::string&) -> std::string_view {
    return records[static_cast<size_t>(value)][static_cast<size_t>(column)];
  });
  list.FillRows(4);
  list.GetHeaderCtrl()->ShowColumn(1, false);
  ASSERT_TRUE(list.SelectRow(3));  // Total

  list.SetFilter("AL");
  EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"Alpha", "Total"}));
  EXPECT_EQ(list.GetFirstSelected(), 1);
  EXPECT_EQ(list.GetItemValue(1), 3);
  // A column shown is filtered too; the selection stays on its record.
  list.GetHeaderCtrl()->ShowColumn(1, true);
  EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"Alpha", "Gamma", "Total"}));
  EXPECT_EQ(list.GetItemValue(list.GetFirstSelected()), 3);

  // Sorting a filtered list sorts every row: they show in that order once the filter is gone.
  list.SortByColumn(0, false);
  EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"Total", "Gamma", "Alpha"}));
  list.SetFilter("ALP");  // narrower: only the rows shown are looked at
  EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"Alpha"}));
  EXPECT_EQ(list.GetFirstSelected(), -1);  // Total is no longer shown

  // Rows inserted and deleted while filtered keep the others in place.
  EXPECT_EQ(list.InsertRow(0, {"Alpine"}), 0);
  EXPECT_EQ(list.InsertRow(0, {"zzz"}), -1);  // added, but not shown
  EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"Alpine", "Alpha"}));
  EXPECT_TRUE(list.DeleteRow(1));
  list.SetFilter("");
  EXPECT_EQ(ColumnTexts(list, 0),
            (std::vector<std::string>{"beta", "Total", "Gamma", "zzz", "Alpine"}));
  EXPECT_EQ(list.GetItemValue(2), 2);
}
