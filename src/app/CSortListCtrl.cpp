#include "app/CSortListCtrl.h"

#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStringView>
#include <algorithm>

#include "app/CSortHeaderCtrl.h"
#include "app/CSortListModel.h"
#include "parser/TextUtil.h"

namespace {

// A number of a column list, read as atoi reads it but held at the ends of the int range.
int ColumnNumber(QStringView text) {
  const QByteArray bytes = text.toUtf8();
  return LeadingInteger(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

Qt::Alignment AlignmentOf(int code) {
  if (code == 1)
    return Qt::AlignHCenter;
  if (code == 2)
    return Qt::AlignRight;
  return Qt::AlignLeft;
}

}  // namespace

CSortListCtrl::CSortListCtrl(QWidget* parent) : QTreeView(parent) {
  m_model = new CSortListModel(this);
  m_header = new CSortHeaderCtrl(this);
  setHeader(m_header);
  setModel(m_model);

  setRootIsDecorated(false);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setAllColumnsShowFocus(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // The view's own sorting stays off: it would sort through the model on every click and show
  // an indicator. It also makes the headings unclickable, so that is undone after it.
  setSortingEnabled(false);
  m_header->setSectionsClickable(true);
  m_header->setSortIndicatorShown(false);
  setIconSize(QSize(16, 16));

  connect(m_header, &QHeaderView::sectionClicked, this, &CSortListCtrl::OnHeadingClicked);
  connect(m_header, &QHeaderView::sectionResized, this, &CSortListCtrl::OnColumnResized);
}

CSortListCtrl::~CSortListCtrl() = default;

bool CSortListCtrl::InsertColumns(const QString& columns) {
  const QStringView all(columns);
  qsizetype position = 0;
  for (;;) {
    const qsizetype separator = all.indexOf(u';', position);
    const QStringView entry =
        separator < 0 ? all.mid(position) : all.mid(position, separator - position);
    const qsizetype comma = entry.indexOf(u',');
    // An entry without a comma (the empty one after a trailing ";" among them) ends the list.
    if (comma < 0)
      return true;
    const QStringView title = entry.left(comma);
    const QStringView rest = entry.mid(comma + 1);
    const qsizetype second = rest.indexOf(u',');
    int alignment = 0;
    int width = 0;
    if (second >= 0) {
      alignment = ColumnNumber(rest.left(second));
      width = ColumnNumber(rest.mid(second + 1));
    } else {
      width = ColumnNumber(rest);
    }
    if (!InsertColumn(GetColumnCount(), title.toString(), AlignmentOf(alignment),
                      std::max(width, 1)))
      return false;
    if (separator < 0)
      return true;
    position = separator + 1;
  }
}

bool CSortListCtrl::InsertColumn(int index, const QString& title, Qt::Alignment alignment,
                                 int width) {
  if (!m_model->InsertColumn(index, title, alignment))
    return false;
  m_header->resizeSection(index, std::clamp(width, 0, m_header->maximumSectionSize()));
  return true;
}

int CSortListCtrl::GetColumnCount() const {
  return m_model->GetColumnCount();
}

int CSortListCtrl::GetRowCount() const {
  return m_model->GetRowCount();
}

int CSortListCtrl::InsertRow(int row, const std::vector<std::string>& texts) {
  return m_model->InsertRow(row, texts);
}

bool CSortListCtrl::DeleteRow(int row) {
  return m_model->DeleteRow(row);
}

int CSortListCtrl::DeleteAllRows() {
  return m_model->DeleteAllRows();
}

void CSortListCtrl::ReplaceAllRows(std::vector<RowRecord> rows) {
  m_model->ReplaceAllRows(std::move(rows));
  m_header->setSortIndicatorShown(false);
}

void CSortListCtrl::SetTextSource(CellTextSource source) {
  m_model->SetTextSource(std::move(source));
}

void CSortListCtrl::FillRows(int count, std::span<const int32_t> more) {
  m_model->FillRows(count, more);
  // The rows are in the caller's order again: the heading no longer shows a sort.
  m_header->setSortIndicatorShown(false);
  if (m_fitColumns && !m_userSizedColumns)
    FitColumnsToContents();
}

void CSortListCtrl::RefreshRows() {
  m_model->RefreshRows();
}

void CSortListCtrl::RefreshRow(int row) {
  m_model->RefreshRow(row);
  SelectRow(row);
}

void CSortListCtrl::SetFilter(const QString& text) {
  m_model->SetFilter(text, VisibleColumns());
}

const QString& CSortListCtrl::GetFilter() const {
  return m_model->GetFilter();
}

std::vector<int> CSortListCtrl::VisibleColumns() const {
  std::vector<int> columns;
  for (int column = 0; column < GetColumnCount(); ++column) {
    if (m_header->IsColumnVisible(column))
      columns.push_back(column);
  }
  return columns;
}

void CSortListCtrl::OnColumnResized(int column, int oldWidth, int newWidth) {
  // What is filtered is what can be seen.
  if ((oldWidth > 0) != (newWidth > 0) && !GetFilter().isEmpty())
    SetFilter(GetFilter());
  if (m_sizingColumns || !m_fitColumns)
    return;
  // The user's widths stay from now on; the last column still reaches the right edge, unless
  // it is the one the user sized.
  m_userSizedColumns = true;
  const std::vector<int> shown = VisibleColumns();
  if (!shown.empty() && shown.back() != column)
    StretchLastColumn();
}

bool CSortListCtrl::ReplaceRowTexts(int row, const std::vector<std::string>& texts) {
  return m_model->ReplaceRowTexts(row, texts);
}

std::string CSortListCtrl::GetRowText(int row, int column) const {
  return m_model->GetRowText(row, column);
}

bool CSortListCtrl::SetItemValue(int row, int32_t value) {
  return m_model->SetItemValue(row, value);
}

int32_t CSortListCtrl::GetItemValue(int row) const {
  return m_model->GetItemValue(row);
}

int CSortListCtrl::GetFirstSelected(int start) const {
  const int from = std::max(start + 1, 0);
  int best = -1;
  for (const QItemSelectionRange& range : selectionModel()->selection()) {
    const int candidate = std::max(range.top(), from);
    if (candidate <= range.bottom() && (best < 0 || candidate < best))
      best = candidate;
  }
  return best;
}

bool CSortListCtrl::SelectRow(int row) {
  if (row < 0 || row >= GetRowCount() || GetColumnCount() == 0)
    return false;
  selectionModel()->setCurrentIndex(
      m_model->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  return true;
}

void CSortListCtrl::SetGridLines(bool on) {
  if (m_gridLines == on)
    return;
  m_gridLines = on;
  viewport()->update();
}

void CSortListCtrl::SetRowIcon(const QIcon& icon, const QIcon& negativeIcon) {
  m_model->SetRowIcon(icon, negativeIcon);
}

void CSortListCtrl::SortByColumn(int column, bool ascending) {
  if (column < 0 || column >= GetColumnCount())
    return;
  m_header->SetSortColumn(column, ascending);
  m_model->SortByColumn(column, ascending);
}

void CSortListCtrl::OnHeadingClicked(int column) {
  SortByColumn(column, m_header->GetClickDirection(column));
}

void CSortListCtrl::paintEvent(QPaintEvent* event) {
  QTreeView::paintEvent(event);
  if (!m_gridLines)
    return;

  QPainter painter(viewport());
  painter.setPen(palette().color(QPalette::Mid));
  const int width = viewport()->width();
  const int height = viewport()->height();

  // Like the classic report view, the grid covers the whole area, below the last row too.
  for (int column = 0; column < GetColumnCount(); ++column) {
    const int size = m_header->sectionSize(column);
    if (size <= 0)
      continue;
    const int right = m_header->sectionViewportPosition(column) + size - 1;
    if (right >= 0 && right < width)
      painter.drawLine(right, 0, right, height);
  }
  if (GetRowCount() == 0 || GetColumnCount() == 0)
    return;
  const QRect first = visualRect(m_model->index(0, 0));
  const int rowHeight = first.height();
  if (rowHeight <= 0)
    return;
  // Rows all have one height, so row k ends at first.top() + (k + 1) * rowHeight.
  const int k = first.top() >= 0 ? 0 : (-first.top()) / rowHeight;
  for (int y = first.top() + (k + 1) * rowHeight - 1; y < height; y += rowHeight) {
    if (y >= 0)
      painter.drawLine(0, y, width, y);
  }
}

void CSortListCtrl::keyPressEvent(QKeyEvent* event) {
  emit ListKeyPressed(event->key());
  QTreeView::keyPressEvent(event);
}

void CSortListCtrl::focusInEvent(QFocusEvent* event) {
  QTreeView::focusInEvent(event);
  // Given the keyboard with no current row, the view makes its first row current without
  // selecting it: Enter would act on nothing while a row looks chosen, and Down would select the
  // second row. The row it makes current is chosen as well. (A click chooses for itself.)
  if (event->reason() != Qt::MouseFocusReason && currentIndex().isValid() &&
      !selectionModel()->hasSelection()) {
    selectionModel()->select(currentIndex(),
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
}

void CSortListCtrl::mousePressEvent(QMouseEvent* event) {
  // Any button pressed on the empty part below the rows clears the selection, so that nothing
  // left selected there is acted on by a double-click or a context menu.
  if (!indexAt(event->position().toPoint()).isValid())
    clearSelection();
  QTreeView::mousePressEvent(event);
}

void CSortListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeView::mouseDoubleClickEvent(event);
  const QModelIndex hit = indexAt(event->position().toPoint());
  // The second press of a double-click clears the selection on the empty part as well.
  if (!hit.isValid())
    clearSelection();
  if (event->button() == Qt::LeftButton)
    emit ListDoubleClicked(hit.isValid() ? hit.row() : -1);
}
