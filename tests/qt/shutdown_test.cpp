#include <gtest/gtest.h>
#include <unistd.h>

#include <QTimer>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "app/control.h"
#include "app/qt_main_window.h"
#include "app/qt_start.h"
#include "app/qt_toolkit.h"
#include "app/reader_state.h"
#include "qt_test_app.h"

namespace tevrin {
namespace {

enum class Busy {
  // Jobs keep calling the toolkit, and one waits on its message box.
  JobsInTheToolkit,
  // A handler on the window thread is processing events, as during a fetch, when the close
  // arrives from inside it.
  HandlerProcessingEvents,
};

// Runs in a child process: the reader's start-up and shut-down with the window closed 300 ms
// in, while it is busy. Never returns.
[[noreturn]] void CloseWhileBusy(Busy busy) {
  // A hang must fail the test, not stall it.
  ::alarm(10);
  // Held until the process flushes its output at shut-down.
  std::setvbuf(stderr, nullptr, _IOFBF, 1 << 16);
  QtTestApp app;
  ReaderState state;
  state.setSearchUrl("https://two.test/search?q=1");
  QtMainWindow window([](Control, Event) {});
  QtToolkit toolkit(window);

  if (busy == Busy::JobsInTheToolkit) {
    for (int i = 0; i < 3; ++i) {
      toolkit.StartJob(
          [&](int) {
            for (int n = 0;; ++n) {
              const int row = toolkit.InsertRow(Control::超级列表框1, std::to_string(n));
              toolkit.SetCell(Control::超级列表框1, row, 1, state.searchUrl());
              toolkit.ReadCell(Control::超级列表框1, row, 1);
              std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
          },
          i);
    }
    toolkit.StartJob([&](int) { toolkit.MessageBox("waiting", std::nullopt); }, 0);
  } else {
    QTimer::singleShot(0, &window, [&] {
      for (;;) {
        toolkit.ProcessEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
  }
  QTimer::singleShot(300, &window, [&] {
    std::fputs("closing the window\n", stderr);
    window.close();
  });
  RunUntilClosed(window, toolkit, state);
}

TEST(ShutdownTest, ClosingTheWindowEndsTheProcessAtOnceWithCodeZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  struct Case {
    const char* name;
    Busy busy;
  };
  const Case cases[] = {{"jobs in the toolkit", Busy::JobsInTheToolkit},
                        {"handler processing events", Busy::HandlerProcessingEvents}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EXIT(CloseWhileBusy(c.busy), ::testing::ExitedWithCode(0), "closing the window");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
  }
}

}  // namespace
}  // namespace tevrin
