// Start-up to the window shown, as a whole process: the reader's own start-up steps as main()
// takes them (display check, application, program folder, state, libcurl service, window from
// its layout, toolkit, event table) up to the moment the window is exposed, then an immediate
// exit. bench/run times
// the process from outside, so loading and linking count as they do for the reader.

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/display_check.h"
#include "app/program_directory.h"
#include "bench_window.h"

namespace {

// As the reader looks for it before its display check.
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
  if (const std::string directory = ProgramDirectory(); !directory.empty()) {
    if (::chdir(directory.c_str()) != 0) return 1;
  }
  BenchReader bench(BuiltInSite1Origin(), BuiltInSite2Origin());
  if (!bench.Show()) return 1;
  std::fflush(nullptr);
  // The reader leaves the same way once its window closes.
  std::_Exit(0);
}
