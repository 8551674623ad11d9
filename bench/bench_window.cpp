#include "bench_window.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <mutex>

#include "app/event_table.h"

namespace tevrin {

BenchReader::BenchReader(Text site1Origin, Text site2Origin)
    : window_([this](Control control, Event event) {
        if (reader_) FireEvent(*reader_, control, event);
      }),
      toolkit_(window_) {
  reader_.emplace(Reader{toolkit_, state_, http_, std::move(site1Origin), std::move(site2Origin)});
}

bool BenchReader::Show() {
  window_.Open();
  return QTest::qWaitForWindowExposed(&window_, 5000);
}

void BenchReader::ChooseSite(int site) {
  auto* choice = qobject_cast<QComboBox*>(window_.Widget(Control::组合框1));
  if (choice == nullptr) return;
  // Item 1 is site 2; the handler runs on "activated", as after a user's choice.
  const int index = site == 2 ? 1 : 0;
  choice->setCurrentIndex(index);
  emit choice->activated(index);
}

void BenchReader::DoubleClickRow(Control list, int row) {
  QtListView* view = window_.List(list);
  if (view == nullptr) return;
  const QModelIndex cell = view->model()->index(row, 0);
  view->scrollTo(cell);
  const QPoint at = view->visualRect(cell).center();
  // A double-click arrives after the press and release of its first click, as from a mouse.
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

bool BenchReader::WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  // Jobs reach the window through queued calls, each of which wakes the wait below; the timer
  // wakes it too, so a job that never calls cannot hold it past the deadline.
  QTimer wake;
  wake.start(50);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return true;
}

void BenchReader::Paint(Control list) {
  if (QtListView* view = window_.List(list)) view->viewport()->repaint();
}

void BenchReader::AwaitJobWrites(ReaderState::Kind kind) {
  std::lock_guard lock(state_.WindowWrites(kind));
}

}  // namespace tevrin
