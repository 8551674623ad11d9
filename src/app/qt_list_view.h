#pragma once

// The report-style list views of the window: a table view over a model that keeps each cell's
// GBK text exactly as written, so a cell reads back byte for byte.

#include <QAbstractTableModel>
#include <QTableView>
#include <QTimer>
#include <span>
#include <vector>

#include "app/window_layout.h"
#include "text/text.h"

namespace tevrin {

class QtRowModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit QtRowModel(std::span<const ColumnLayout> columns, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  /// Appends a row whose first cell is `column0`; gives its index. A deferred row is stored
  /// at once but shown to views only at the next Flush(), so a stream of rows reaches the view
  /// in batches instead of one layout per row.
  int AppendRow(const Text& column0, bool deferred = false);
  /// Shows the deferred rows.
  void Flush();
  /// Does nothing for a row or column that does not exist.
  void SetCell(int row, int column, const Text& text);
  /// Empty for a row or column that does not exist; deferred rows included.
  Text Cell(int row, int column) const;
  /// Every stored row, deferred ones included.
  int Rows() const { return static_cast<int>(rows_.size()); }
  void Clear();

 private:
  std::span<const ColumnLayout> columns_;
  std::vector<std::vector<Text>> rows_;
  /// Rows views know of; the rest are deferred.
  int shown_ = 0;
};

class QtListView : public QTableView {
  Q_OBJECT

 public:
  /// `headerButtons`: whether the column headers behave as buttons (they sort nothing).
  QtListView(std::span<const ColumnLayout> columns, bool headerButtons, QWidget* parent = nullptr);

  QtRowModel& rows() { return model_; }
  const QtRowModel& rows() const { return model_; }
  /// The first selected row, -1 when none.
  int SelectedRow() const;
  /// A row or cell from a job: stored at once, while repaints and new rows reach the screen
  /// together every ~30 ms, so a job filling the list one call at a time does not lay out and
  /// repaint it after every call.
  int AppendStreamedRow(const Text& column0);
  void SetStreamedCell(int row, int column, const Text& text);

 signals:
  /// A double-click anywhere in the rows area, also on empty space.
  void DoubleClicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void HoldRepaints();
  void ReleaseRepaints();

  QtRowModel model_;
  QTimer releaseTimer_;
};

}  // namespace tevrin
