#include "app/qt_list_view.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>

#include "text/code_page.h"

namespace tevrin {

namespace {

QString ToDisplay(const Text& text) {
  return QString::fromStdString(GbkToDisplayUtf8(text));
}

Qt::Alignment ColumnAlignment(const ColumnLayout& column) {
  return (column.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter;
}

}  // namespace

QtRowModel::QtRowModel(std::span<const ColumnLayout> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(columns) {}

int QtRowModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shown_;
}

int QtRowModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant QtRowModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return ToDisplay(Cell(index.row(), index.column()));
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(
          ColumnAlignment(columns_[static_cast<std::size_t>(index.column())]));
    default:
      return {};
  }
}

QVariant QtRowModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 ||
      section >= static_cast<int>(columns_.size())) {
    return {};
  }
  const ColumnLayout& column = columns_[static_cast<std::size_t>(section)];
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromUtf8(reinterpret_cast<const char*>(column.title));
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(ColumnAlignment(column));
    default:
      return {};
  }
}

int QtRowModel::AppendRow(const Text& column0, bool deferred) {
  rows_.emplace_back(columns_.size());
  rows_.back().front() = column0;
  if (!deferred) Flush();
  return Rows() - 1;
}

void QtRowModel::Flush() {
  if (shown_ == Rows()) return;
  beginInsertRows(QModelIndex(), shown_, Rows() - 1);
  shown_ = Rows();
  endInsertRows();
}

void QtRowModel::SetCell(int row, int column, const Text& text) {
  if (row < 0 || row >= Rows() || column < 0 || column >= columnCount()) return;
  rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
  if (row < shown_) {
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::ToolTipRole});
  }
}

Text QtRowModel::Cell(int row, int column) const {
  if (row < 0 || row >= Rows() || column < 0 || column >= columnCount()) return Text();
  return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void QtRowModel::Clear() {
  beginResetModel();
  rows_.clear();
  shown_ = 0;
  endResetModel();
}

QtListView::QtListView(std::span<const ColumnLayout> columns, bool headerButtons, QWidget* parent)
    : QTableView(parent), model_(columns) {
  setModel(&model_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(true);
  setWordWrap(false);
  setSortingEnabled(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

  QHeaderView* rowHeader = verticalHeader();
  rowHeader->hide();
  // Fixed row heights keep appending a row cheap: nothing is measured per row.
  rowHeader->setSectionResizeMode(QHeaderView::Fixed);
  rowHeader->setMinimumSectionSize(1);
  rowHeader->setDefaultSectionSize(fontMetrics().height() + 4);

  QHeaderView* header = horizontalHeader();
  header->setSectionsClickable(headerButtons);
  header->setHighlightSections(false);
  header->setSortIndicatorShown(false);
  header->setStretchLastSection(false);
  header->setMinimumSectionSize(0);
  header->setSectionResizeMode(QHeaderView::Interactive);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    header->resizeSection(static_cast<int>(i), columns[i].width);
  }

  releaseTimer_.setSingleShot(true);
  releaseTimer_.setInterval(30);
  connect(&releaseTimer_, &QTimer::timeout, this, &QtListView::ReleaseRepaints);
}

int QtListView::SelectedRow() const {
  const QModelIndexList selected = selectionModel()->selectedRows();
  if (selected.isEmpty()) return -1;
  const auto first = std::min_element(
      selected.begin(), selected.end(),
      [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  return first->row();
}

int QtListView::AppendStreamedRow(const Text& column0) {
  HoldRepaints();
  return model_.AppendRow(column0, true);
}

void QtListView::SetStreamedCell(int row, int column, const Text& text) {
  HoldRepaints();
  model_.SetCell(row, column, text);
}

void QtListView::HoldRepaints() {
  if (isVisible() && updatesEnabled()) setUpdatesEnabled(false);
  if (!releaseTimer_.isActive()) releaseTimer_.start();
}

void QtListView::ReleaseRepaints() {
  model_.Flush();
  if (!updatesEnabled()) {
    setUpdatesEnabled(true);
    repaint();
  }
}

void QtListView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) emit DoubleClicked();
}

}  // namespace tevrin
