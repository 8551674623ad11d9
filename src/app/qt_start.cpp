#include "app/qt_start.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace tevrin {

namespace {

[[noreturn]] void ShutDown(QtToolkit& toolkit, ReaderState& state) {
  toolkit.Close();
  state.setSearchUrl(Text());
  state.setPrevChapterUrl(Text());
  state.setNextChapterUrl(Text());
  std::fflush(nullptr);
  // Jobs may still be inside the toolkit, the state or the HTTP service: exit without running
  // the destructors of what they use.
  std::_Exit(0);
}

}  // namespace

void RunUntilClosed(QtMainWindow& window, QtToolkit& toolkit, ReaderState& state) {
  // A job's message box is a window of its own; closing the main window must still end the
  // program, also from inside a handler that is processing events.
  QApplication::setQuitOnLastWindowClosed(false);
  QObject::connect(&window, &QtMainWindow::Closed, &window,
                   [&toolkit, &state] { ShutDown(toolkit, state); });
  window.Open();
  QApplication::exec();
  ShutDown(toolkit, state);
}

}  // namespace tevrin
