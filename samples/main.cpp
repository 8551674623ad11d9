// tevrin-demo: the reader on the sample sites, served in-process on loopback, so that every
// feature can be tried without the real sites.

#include <cstdio>
#include <string_view>

#include "app/qt_start.h"
#include "samples/sample_sites.h"

int main(int argc, char* argv[]) {
  using namespace tevrin;
  static constexpr std::string_view kProgram = "tevrin-demo";

  // Checked before the sites start, so that a missing display costs nothing.
  if (!DisplayUsable(kProgram)) return 1;

  SampleSites sites;
  if (!sites.Running()) {
    std::fprintf(stderr, "tevrin-demo: the sample sites could not listen on 127.0.0.1\n");
    return 1;
  }
  std::printf("site 1 (笔趣阁): %s\nsite 2 (顶点网): %s\n", sites.site1Origin().c_str(),
              sites.site2Origin().c_str());
  std::fflush(stdout);

  // The origins are plain ASCII, the same bytes in GBK. The process ends when the window
  // closes; the sites' servers go with it.
  return RunReader(argc, argv, sites.site1Origin(), sites.site2Origin(), kProgram);
}
