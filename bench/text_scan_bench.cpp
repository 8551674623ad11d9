// Throughput of the chapter cleanings and of TextBetween, at sizes from 1 KiB to 10 MiB so that
// bench/run can check that time per byte stays flat, against a GBK-blind memchr scan of the
// same bytes.

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <string_view>

#include "bench_pages.h"
#include "reading/chapter_cleaning.h"
#include "text/markers.h"

namespace tevrin {
namespace {

constexpr std::size_t kKiB = 1024;
constexpr std::size_t kMiB = 1024 * kKiB;
constexpr std::size_t kSizes[] = {kKiB, 10 * kKiB, 100 * kKiB, kMiB, 5 * kMiB, 10 * kMiB};

constexpr std::string_view kContentStart = "<div id=\"content\"><p>";
constexpr std::string_view kContentEnd = "</div>";

using Maker = Text (*)(std::size_t);

std::map<std::size_t, Text> AllSizes(Maker make) {
  std::map<std::size_t, Text> texts;
  for (std::size_t size : kSizes) texts.emplace(size, make(size));
  return texts;
}

const Text& Site1Text(std::size_t size) {
  static const std::map<std::size_t, Text> texts = AllSizes(Site1ChapterText);
  return texts.at(size);
}
const Text& Site2Text(std::size_t size) {
  static const std::map<std::size_t, Text> texts = AllSizes(Site2ChapterText);
  return texts.at(size);
}
const Text& Site1Page(std::size_t size) {
  static const std::map<std::size_t, Text> texts = AllSizes(Site1ChapterPageOfSize);
  return texts.at(size);
}

// A byte-level search for `what`: memchr for its first byte, then a compare. Neither GBK
// characters nor letter case are looked at, so this is the floor a scan of the bytes can reach.
std::size_t MemchrFind(std::string_view text, std::string_view what) {
  const char* at = text.data();
  const char* end = text.data() + text.size();
  while (at < end) {
    at = static_cast<const char*>(std::memchr(at, what[0], end - at));
    if (at == nullptr) return std::string_view::npos;
    if (static_cast<std::size_t>(end - at) >= what.size() &&
        std::memcmp(at, what.data(), what.size()) == 0) {
      return at - text.data();
    }
    ++at;
  }
  return std::string_view::npos;
}

template <typename Operation>
void Run(benchmark::State& state, const Text& input, Operation operation) {
  for (auto _ : state) benchmark::DoNotOptimize(operation(input));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
  state.counters["time_per_byte"] =
      benchmark::Counter(static_cast<double>(state.iterations() * input.size()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

std::size_t SizeOf(const benchmark::State& state) {
  return static_cast<std::size_t>(state.range(0));
}

void BM_CleanSite1Chapter(benchmark::State& state) {
  static const Text paragraphBreak = Text(kLineBreak) + Text(kLineBreak);
  Run(state, Site1Text(SizeOf(state)),
      [](const Text& text) { return CleanSite1Chapter(text, paragraphBreak); });
}
void BM_CleanSite2Chapter(benchmark::State& state) {
  Run(state, Site2Text(SizeOf(state)), [](const Text& text) { return CleanSite2Chapter(text); });
}
void BM_TextBetween(benchmark::State& state) {
  Run(state, Site1Page(SizeOf(state)),
      [](const Text& page) { return TextBetween(page, kContentStart, kContentEnd); });
}

// The same bytes as each operation above, searched for the markers TextBetween looks for; the
// chapter text holds neither.
void BM_MemchrScanSite1Text(benchmark::State& state) {
  Run(state, Site1Text(SizeOf(state)),
      [](const Text& text) { return MemchrFind(text, kContentEnd); });
}
void BM_MemchrScanSite2Text(benchmark::State& state) {
  Run(state, Site2Text(SizeOf(state)),
      [](const Text& text) { return MemchrFind(text, kContentEnd); });
}
void BM_MemchrScanSite1Page(benchmark::State& state) {
  Run(state, Site1Page(SizeOf(state)), [](const Text& page) {
    const std::string_view rest = std::string_view(page).substr(MemchrFind(page, kContentStart));
    return MemchrFind(rest, kContentEnd);
  });
}

void AllSizesArgs(benchmark::internal::Benchmark* benchmark) {
  for (std::size_t size : kSizes) benchmark->Arg(static_cast<std::int64_t>(size));
  benchmark->Unit(benchmark::kMicrosecond);
}
void FiveMiB(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(static_cast<std::int64_t>(5 * kMiB))->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_CleanSite1Chapter)->Apply(AllSizesArgs);
BENCHMARK(BM_CleanSite2Chapter)->Apply(AllSizesArgs);
BENCHMARK(BM_TextBetween)->Apply(AllSizesArgs);
BENCHMARK(BM_MemchrScanSite1Text)->Apply(FiveMiB);
BENCHMARK(BM_MemchrScanSite2Text)->Apply(FiveMiB);
BENCHMARK(BM_MemchrScanSite1Page)->Apply(FiveMiB);

}  // namespace
}  // namespace tevrin

BENCHMARK_MAIN();
