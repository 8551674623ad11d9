// Peak resident memory of the reader with the 5,000-chapter contents list filled and a 1 MiB
// chapter on show, both loaded through the real jobs into the real window (offscreen, shown).
// The sample sites run in a child process, so their pages do not count. Prints
// "peak_rss_kib N" and exits.

#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench_pages.h"
#include "bench_window.h"
#include "samples/catalogue.h"
#include "samples/sample_pages.h"
#include "samples/sample_sites.h"

namespace tevrin {
namespace {

using std::chrono_literals::operator""s;

constexpr std::size_t kChapterBytes = 1024 * 1024;

// Serves the sample sites, with chapter 1 of the long book on site 2 grown to 1 MiB, until the
// parent closes `stop`. Writes both origins, one a line, to `ready`.
[[noreturn]] void ServeSites(int ready, int stop) {
  SampleSites sites;
  const SampleBook& book = LongSampleBook();
  sites.Override(
      2, SampleChapterPath(book.id, 1),
      {200, "text/html", Site2ChapterPageOfSize(sites.site2Origin(), kChapterBytes), {}});
  const std::string origins = sites.site1Origin() + "\n" + sites.site2Origin() + "\n";
  if (!sites.Running() || ::write(ready, origins.data(), origins.size()) < 0) std::_Exit(1);
  ::close(ready);
  char byte;
  while (::read(stop, &byte, 1) > 0) {
  }
  std::_Exit(0);
}

long PeakResidentKib() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

int Measure(int argc, char* argv[], const std::string& site1Origin,
            const std::string& site2Origin) {
  constexpr Control kBooks = Control::超级列表框1;
  constexpr Control kChapters = Control::超级列表框2;
  const SampleBook& book = LongSampleBook();

  QApplication application(argc, argv);
  BenchReader bench(site1Origin, site2Origin);
  if (!bench.Show()) return 1;
  bench.ChooseSite(2);
  const int row = bench.toolkit().InsertRow(kBooks, book.name);
  bench.toolkit().SetCell(kBooks, row, 5, site2Origin + SampleBookPath(book.id));

  bench.DoubleClickRow(kBooks, row);
  const QtRowModel& chapters = bench.window().List(kChapters)->rows();
  const bool listed = bench.WaitFor(
      [&] {
        return chapters.rowCount() == book.chapterCount &&
               !chapters.Cell(book.chapterCount - 1, 2).empty();
      },
      60s);
  if (!listed) return 1;
  bench.AwaitJobWrites(ReaderState::Kind::TableOfContents);

  bench.DoubleClickRow(kChapters, 0);
  // The job stores the neighbours' addresses after the text is in the edit box.
  ReaderState& state = bench.reader().state;
  if (!bench.WaitFor([&] { return !state.nextChapterUrl().empty(); }, 60s)) return 1;
  bench.AwaitJobWrites(ReaderState::Kind::Chapter);
  bench.window().Widget(Control::编辑框1)->repaint();
  QCoreApplication::processEvents();
  const long peak = PeakResidentKib();

  // Blanks and tags go, line breaks come: the text on show is close to the page's size.
  const qsizetype shown = bench.window().ReadText(Control::编辑框1).size();
  if (shown < static_cast<qsizetype>(kChapterBytes / 4)) return 1;
  std::printf("peak_rss_kib %ld\nchapter_characters %lld\n", peak, static_cast<long long>(shown));
  std::fflush(nullptr);
  return 0;
}

}  // namespace
}  // namespace tevrin

int main(int argc, char* argv[]) {
  int ready[2];
  int stop[2];
  if (::pipe(ready) != 0 || ::pipe(stop) != 0) return 1;
  const pid_t server = ::fork();
  if (server < 0) return 1;
  if (server == 0) {
    ::close(ready[0]);
    ::close(stop[1]);
    tevrin::ServeSites(ready[1], stop[0]);
  }
  ::close(ready[1]);
  ::close(stop[0]);

  std::string origins;
  char buffer[256];
  for (ssize_t n; (n = ::read(ready[0], buffer, sizeof buffer)) > 0;) origins.append(buffer, n);
  const std::size_t split = origins.find('\n');
  int result = 1;
  if (split != std::string::npos && origins.size() > split + 1) {
    result = tevrin::Measure(argc, argv, origins.substr(0, split),
                             origins.substr(split + 1, origins.size() - split - 2));
  }
  ::close(stop[1]);
  ::waitpid(server, nullptr, 0);
  std::fflush(nullptr);
  // Jobs are detached, as in the reader; leave without running destructors they might use.
  std::_Exit(result);
}
