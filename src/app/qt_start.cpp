#include "app/qt_start.h"

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "app/display_check.h"
#include "app/event_table.h"
#include "app/program_directory.h"
#include "app/reader.h"
#include "web/curl_http_service.h"

namespace tevrin {

namespace {

bool HasWaylandPlugin() {
  const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                       QStringLiteral("/platforms"));
  return !platforms.entryList({QStringLiteral("libqwayland*")}, QDir::Files).isEmpty();
}

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

bool DisplayUsable(std::string_view programName) {
  const std::string why = MissingDisplay([](const char* name) { return std::getenv(name); },
                                         HasWaylandPlugin(), programName);
  if (why.empty()) return true;
  std::fprintf(stderr, "%s\n", why.c_str());
  return false;
}

int RunReader(int argc, char** argv, const Text& site1Origin, const Text& site2Origin,
              std::string_view programName) {
  // Qt aborts the process without a display; say why in one line instead.
  if (!DisplayUsable(programName)) return 1;

  // QApplication keeps a reference to `argc`: this frame outlives it, since the function only
  // leaves through the end of the process.
  QApplication application(argc, argv);
  if (const std::string directory = ProgramDirectory(); !directory.empty()) {
    if (::chdir(directory.c_str()) != 0) {
      const int error = errno;
      std::fprintf(stderr, "%.*s: cannot enter the program's folder %s: %s\n",
                   static_cast<int>(programName.size()), programName.data(), directory.c_str(),
                   std::strerror(error));
    }
  }

  ReaderState state;
  CurlHttpService http;
  std::optional<Reader> reader;
  QtMainWindow window([&reader](Control control, Event event) {
    if (reader) FireEvent(*reader, control, event);
  });
  QtToolkit toolkit(window);
  reader.emplace(Reader{toolkit, state, http, site1Origin, site2Origin});
  RunUntilClosed(window, toolkit, state);
}

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
