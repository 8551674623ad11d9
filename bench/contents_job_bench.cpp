// The 5,000-chapter contents job into the real window (offscreen, shown): from the double-click
// on the book to the last of its rows painted, the book fetched from the loopback sample sites.
// The baseline puts the same rows into the same list straight from the window thread.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <vector>

#include "bench_window.h"
#include "samples/catalogue.h"
#include "samples/sample_pages.h"
#include "samples/sample_sites.h"
#include "text/regex_object.h"

namespace tevrin {
namespace {

using std::chrono_literals::operator""s;

constexpr Control kBooks = Control::超级列表框1;
constexpr Control kChapters = Control::超级列表框2;

bool ListComplete(BenchReader& bench, int rows) {
  const QtRowModel& model = bench.window().List(kChapters)->rows();
  return model.rowCount() == rows && !model.Cell(rows - 1, 2).empty();
}

void BM_ContentsJob(benchmark::State& state) {
  const int site = static_cast<int>(state.range(0));
  const SampleBook& book = LongSampleBook();
  SampleSites sites;
  BenchReader bench(sites.site1Origin(), sites.site2Origin());
  if (!sites.Running() || !bench.Show()) {
    state.SkipWithError("no sample sites or no window");
    return;
  }
  bench.ChooseSite(site);
  const Text origin = site == 1 ? sites.site1Origin() : sites.site2Origin();
  const int row = bench.toolkit().InsertRow(kBooks, book.name);
  bench.toolkit().SetCell(kBooks, row, 5, origin + SampleBookPath(book.id));

  for (auto _ : state) {
    bench.DoubleClickRow(kBooks, row);
    const bool complete =
        bench.WaitFor([&] { return ListComplete(bench, book.chapterCount); }, 60s);
    bench.Paint(kChapters);
    if (!complete) {
      state.SkipWithError("the list did not fill");
      break;
    }
  }
  bench.AwaitJobWrites(ReaderState::Kind::TableOfContents);
  state.counters["rows"] = bench.window().List(kChapters)->rows().rowCount();
}

struct Row {
  Text number;
  Text title;
  Text url;
};

// The rows the site-1 job writes for the long book.
std::vector<Row> Site1Rows(const Text& origin) {
  static const Text pattern = R"re(<dd><a href="(.*?)"[\s|\S]*?>(.*?)</a></dd>)re";
  RegexObject regex;
  regex.Execute(pattern, Site1BookPage(origin, LongSampleBook()));
  std::vector<Row> rows;
  for (int match = 1; match <= regex.MatchCount(); ++match) {
    rows.push_back({ToDecimal(match), regex.GroupText(match, 2), regex.GroupText(match, 1)});
  }
  return rows;
}

void BM_ContentsRowsDirect(benchmark::State& state) {
  const Text origin = "https://127.0.0.1:1";
  const std::vector<Row> rows = Site1Rows(origin);
  BenchReader bench(origin, origin);
  if (!bench.Show()) {
    state.SkipWithError("no window");
    return;
  }
  Toolkit& toolkit = bench.toolkit();
  for (auto _ : state) {
    toolkit.DeleteAllRows(kChapters);
    for (const Row& row : rows) {
      const int index = toolkit.InsertRow(kChapters, row.number);
      toolkit.SetCell(kChapters, index, 1, row.title);
      toolkit.SetCell(kChapters, index, 2, row.url);
    }
    bench.Paint(kChapters);
  }
  if (!ListComplete(bench, static_cast<int>(rows.size()))) state.SkipWithError("rows missing");
  state.counters["rows"] = static_cast<double>(rows.size());
}

BENCHMARK(BM_ContentsJob)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ContentsRowsDirect)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tevrin

int main(int argc, char* argv[]) {
  // The window is measured offscreen unless a platform was chosen for the run.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
