// The reader: one window, run until it is closed.

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "app/display_check.h"
#include "app/event_table.h"
#include "app/program_directory.h"
#include "app/qt_main_window.h"
#include "app/qt_start.h"
#include "app/qt_toolkit.h"
#include "app/reader.h"
#include "app/reader_state.h"
#include "web/curl_http_service.h"

namespace {

bool HasWaylandPlugin() {
  const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                       QStringLiteral("/platforms"));
  return !platforms.entryList({QStringLiteral("libqwayland*")}, QDir::Files).isEmpty();
}

}  // namespace

int main(int argc, char* argv[]) {
  using namespace tevrin;

  if (const std::string why =
          MissingDisplay([](const char* name) { return std::getenv(name); }, HasWaylandPlugin());
      !why.empty()) {
    std::fprintf(stderr, "%s\n", why.c_str());
    return 1;
  }

  QApplication application(argc, argv);
  // The reading record is written beside the program.
  if (const std::string directory = ProgramDirectory(); !directory.empty()) {
    if (::chdir(directory.c_str()) != 0) std::perror("tevrin: cannot enter the program's folder");
  }

  ReaderState state;
  CurlHttpService http;
  std::optional<Reader> reader;
  QtMainWindow window([&reader](Control control, Event event) {
    if (reader) FireEvent(*reader, control, event);
  });
  QtToolkit toolkit(window);
  reader.emplace(Reader{toolkit, state, http, BuiltInSite1Origin(), BuiltInSite2Origin()});
  RunUntilClosed(window, toolkit, state);
}
