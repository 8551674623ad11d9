// The real window closed under load, as a program of its own: a search, a table of contents and
// a chapter stall mid-fetch on a server that never answers, one message box is open, and then
// the window closes. The process must end at once with exit code 0.
//
// Usage: hardening_closing_child job-box|window-box
//   job-box     the box is a job's failure message (no owner, only that job waits for it);
//   window-box  the box is the window thread's own, modal, inside a click handler.
// Prints "closing" just before the window closes; exit code 2 when the scene cannot be set up.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/event_table.h"
#include "app/qt_main_window.h"
#include "app/qt_start.h"
#include "app/qt_toolkit.h"
#include "app/reader.h"
#include "app/reader_state.h"
#include "support/raw_responder.h"
#include "text/code_page.h"
#include "web/curl_http_service.h"

namespace tevrin {
namespace {

bool MessageBoxShown() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (qobject_cast<QMessageBox*>(widget) != nullptr && widget->isVisible()) return true;
  }
  return false;
}

/// Runs `then` on the window thread once `ready` holds, checking every few milliseconds.
void When(std::function<bool()> ready, std::function<void()> then) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, timer, [timer, ready, then] {
    if (!ready()) return;
    timer->stop();
    timer->deleteLater();
    then();
  });
  timer->start(5);
}

[[noreturn]] void GiveUp(const char* why) {
  std::fprintf(stderr, "closing child: %s\n", why);
  std::fflush(nullptr);
  std::_Exit(2);
}

/// Lists one row whose address is `url` in `list`, selects it and double-clicks it.
void OpenRow(QtMainWindow& window, QtToolkit& toolkit, Control list, int urlColumn,
             const Text& url) {
  toolkit.DeleteAllRows(list);
  const int row = toolkit.InsertRow(list, Text("1"));
  toolkit.SetCell(list, row, urlColumn, url);
  QtListView* view = window.List(list);
  view->selectRow(row);
  emit view->DoubleClicked();
}

void Click(QtMainWindow& window, Control button) {
  qobject_cast<QPushButton*>(window.Widget(button))->click();
}

}  // namespace
}  // namespace tevrin

int main(int argc, char* argv[]) {
  using namespace tevrin;
  if (argc != 2) GiveUp("expected job-box or window-box");
  const std::string_view mode = argv[1];
  const bool boxFromJob = mode == "job-box";
  if (!boxFromJob && mode != "window-box") GiveUp("expected job-box or window-box");

  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  // Every request reaches the server and then waits for an answer that never comes.
  RawResponder stalling([](RawResponder::Connection& connection) {
    connection.ReadRequest();
    connection.Stall();
  });
  RawResponder resetting([](RawResponder::Connection& connection) {
    connection.ReadRequest();
    connection.Reset();
  });
  if (stalling.Port() == 0 || resetting.Port() == 0) GiveUp("no responder");

  ReaderState state;
  CurlHttpService http;
  std::optional<Reader> reader;
  QtMainWindow window([&reader](Control control, Event event) {
    if (reader) FireEvent(*reader, control, event);
  });
  QtToolkit toolkit(window);
  reader.emplace(Reader{toolkit, state, http, stalling.Origin(), stalling.Origin()});

  const auto fetching = [&stalling](int jobs) {
    return [&stalling, jobs] { return stalling.Connections() >= jobs; };
  };
  const auto close = [&window] {
    if (!MessageBoxShown()) GiveUp("no message box open");
    std::printf("closing\n");
    std::fflush(stdout);
    window.close();
  };
  // Each step waits until the previous job is mid-fetch, so no job clears what the next reads.
  QTimer::singleShot(0, &window, [&] {
    toolkit.SetText(Control::编辑框_书名, Gbk(u8"山河"));
    Click(window, Control::按钮_搜索);
    When(fetching(1), [&] {
      OpenRow(window, toolkit, Control::超级列表框1, 5, stalling.Origin() + "/book/1/");
      When(fetching(2), [&] {
        OpenRow(window, toolkit, Control::超级列表框2, 2, stalling.Origin() + "/book/1/1.html");
        When(fetching(3), [&] {
          if (boxFromJob) {
            // A newer chapter whose server resets: its job shows the failure message.
            OpenRow(window, toolkit, Control::超级列表框2, 2, resetting.Origin() + "/1.html");
            When(MessageBoxShown, close);
          } else {
            // The last chapter is on show: the click handler shows its modal box and waits
            // inside it.
            state.setNextChapterUrl(stalling.Origin() + "/book/1/");
            When(MessageBoxShown, close);
            Click(window, Control::按钮_下一章);
          }
        });
      });
    });
  });
  RunUntilClosed(window, toolkit, state);
}
