// tevrin-demo: the reader on the sample sites, served in-process on loopback, so that every
// feature can be tried without the real sites.

#include <unistd.h>

#include <QApplication>
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
#include "samples/sample_sites.h"
#include "web/curl_http_service.h"

int main(int argc, char* argv[]) {
  using namespace tevrin;

  // Checked before the sites start, so that a missing display costs nothing.
  if (const std::string why = MissingDisplay([](const char* name) { return std::getenv(name); });
      !why.empty()) {
    std::fprintf(stderr, "%s\n", why.c_str());
    return 1;
  }

  SampleSites sites;
  if (!sites.Running()) {
    std::fprintf(stderr, "tevrin-demo: the sample sites could not listen on 127.0.0.1\n");
    return 1;
  }
  std::printf("site 1 (笔趣阁): %s\nsite 2 (顶点网): %s\n", sites.site1Origin().c_str(),
              sites.site2Origin().c_str());
  std::fflush(stdout);

  QApplication application(argc, argv);
  // The reading record is written beside the program, as the reader does.
  if (const std::string directory = ProgramDirectory(); !directory.empty()) {
    if (::chdir(directory.c_str()) != 0) {
      std::perror("tevrin-demo: cannot enter the program's folder");
    }
  }

  ReaderState state;
  CurlHttpService http;
  std::optional<Reader> reader;
  QtMainWindow window([&reader](Control control, Event event) {
    if (reader) FireEvent(*reader, control, event);
  });
  QtToolkit toolkit(window);
  // The origins are plain ASCII, the same bytes in GBK.
  reader.emplace(Reader{toolkit, state, http, sites.site1Origin(), sites.site2Origin()});
  // Ends the process when the window closes; the sites' servers go with it.
  RunUntilClosed(window, toolkit, state);
}
