// Start-up to the window shown, as a whole process: the reader's own start-up steps as main()
// takes them (display check, application, program folder, state, libcurl service, window from
// its layout, toolkit, event table) up to the moment the window is exposed, then an immediate
// exit. bench/run times
// the process from outside, so loading and linking count as they do for the reader.

#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/program_directory.h"
#include "app/qt_start.h"
#include "bench_window.h"

int main(int argc, char* argv[]) {
  using namespace tevrin;
  if (!DisplayUsable("startup_probe")) return 1;
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
