// 5,000 chapter rows of three cells put into 超级列表框2 on screen, one toolkit call at a time
// as the jobs do: from a job's thread (each call a blocking hand-over to the window thread),
// timed until the list shows the last row, and, as the baseline, directly on the window thread. The
// job variant also reports the longest time the window thread went without handling a timer, i.e.
// how long the window stood still.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/control.h"
#include "app/qt_main_window.h"
#include "app/qt_toolkit.h"
#include "text/code_page.h"

namespace tevrin {
namespace {

constexpr int kRows = 5000;

class OpenWindow {
 public:
  OpenWindow() : window_([](Control, Event) {}), toolkit_(window_) {
    window_.Open();
    if (!QTest::qWaitForWindowExposed(&window_, 5000)) std::fputs("window never shown\n", stderr);
    window_.ShowPage(1);
  }

  QtToolkit& toolkit() { return toolkit_; }
  int Rows() { return window_.List(Control::超级列表框2)->rows().Rows(); }
  /// Rows the list view itself shows; rows from a job reach it in batches.
  int ShownRows() { return window_.List(Control::超级列表框2)->rows().rowCount(); }

 private:
  QtMainWindow window_;
  QtToolkit toolkit_;
};

void PutRows(Toolkit& toolkit) {
  static const Text kTitle = Gbk(u8"第一百二十章 夜渡寒江");
  for (int i = 0; i < kRows; ++i) {
    const int row = toolkit.InsertRow(Control::超级列表框2, std::to_string(i + 1));
    toolkit.SetCell(Control::超级列表框2, row, 1, kTitle);
    toolkit.SetCell(Control::超级列表框2, row, 2, "/book/1/" + std::to_string(1000 + i) + ".html");
  }
}

void BM_RowsFromJob(benchmark::State& state) {
  OpenWindow window;
  double longestStallMs = 0;
  for (auto _ : state) {
    state.PauseTiming();
    window.toolkit().DeleteAllRows(Control::超级列表框2);
    QCoreApplication::processEvents();
    QElapsedTimer sinceTick;
    QTimer tick;
    double stall = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
      stall = std::max(stall, sinceTick.nsecsElapsed() / 1e6);
      sinceTick.restart();
    });
    state.ResumeTiming();

    std::atomic<bool> done = false;
    std::thread job([&] {
      PutRows(window.toolkit());
      done = true;
    });
    sinceTick.start();
    tick.start(5);
    // Timed until the last row is on the list, not merely stored.
    while (!done || window.ShownRows() != kRows) {
      QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    job.join();

    state.PauseTiming();
    longestStallMs = std::max(longestStallMs, stall);
    if (window.Rows() != kRows) state.SkipWithError("rows missing");
    state.ResumeTiming();
  }
  state.counters["longest_stall_ms"] = longestStallMs;
}

void BM_RowsDirect(benchmark::State& state) {
  OpenWindow window;
  for (auto _ : state) {
    state.PauseTiming();
    window.toolkit().DeleteAllRows(Control::超级列表框2);
    QCoreApplication::processEvents();
    state.ResumeTiming();
    PutRows(window.toolkit());
    QCoreApplication::processEvents();
  }
}

BENCHMARK(BM_RowsFromJob)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5);
BENCHMARK(BM_RowsDirect)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5);

}  // namespace
}  // namespace tevrin

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
