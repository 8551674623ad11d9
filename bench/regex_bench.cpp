// The jobs' patterns through RegexObject (conversions to and from UTF-16 included) against
// std::regex (ECMAScript, letter case ignored) over the same GBK bytes. Every run compiles its
// pattern, as a job does, and reads every group of every match.
//
// The patterns are valid ECMAScript as written: "[\s|\S]" is a class in both dialects. The one
// difference, "." also stopping at CR in ECMAScript, does not change the matches on these pages;
// each benchmark checks that both engines find the expected number of matches.

#include <benchmark/benchmark.h>

#include <regex>

#include "bench_pages.h"
#include "text/code_page.h"
#include "text/regex_object.h"

namespace tevrin {
namespace {

constexpr int kChapters = 5000;
constexpr int kResults = 100;

struct Figure {
  Text pattern;
  Text subject;
  int groups;
  int expectedMatches;
};

const Figure& ChapterFigure() {
  static const Figure figure{R"re(<dd><a href="(.*?)"[\s|\S]*?>(.*?)</a></dd>)re",
                             ContentsIndexPage(), 2, kChapters};
  return figure;
}

const Figure& Site1Figure() {
  static const Figure figure{
      R"re(<td class="odd"><a href="(.*?)"[\s|\S]*?>(.*?)</a></td>[\s|\S]*?target="_blank">(.*?)</a></td>[\s|\S]*?<td class="odd">(.*?)</td>[\s|\S]*?align="center">(.*?)</td>[\s|\S]*?align="center">(.*?)</td>)re",
      Site1ResultsPage(kResults), 6, kResults};
  return figure;
}

const Figure& Site2Figure() {
  static const Figure figure{
      Gbk(u8R"re(<h3><a href="(.*?)"[\s|\S]*?color:red;">(.*?)</a></h3>[\s|\S]*?<p>作者：<i>(.*?)</i>[\s|\S]*?状态：<i>(.*?)</i>[\s|\S]*?">(.*?)</a>[\s|\S]*?更新时间：<i>(.*?)</i></p>)re"),
      Site2ResultsPage(kResults), 6, kResults};
  return figure;
}

// The first 1024 bytes of a decoded site-2 page, where the declaration is searched for.
const Figure& CharsetFigure() {
  static const Figure figure{R"re(<meta.+?charset=[^\w]?([-\w]+))re",
                             Site2ResultsPage(kResults).substr(0, 1024), 1, 1};
  return figure;
}

void RunRegexObject(benchmark::State& state, const Figure& figure) {
  int matches = 0;
  for (auto _ : state) {
    RegexObject regex;
    regex.Execute(figure.pattern, figure.subject);
    matches = regex.MatchCount();
    for (int match = 1; match <= matches; ++match) {
      for (int group = 1; group <= figure.groups; ++group) {
        benchmark::DoNotOptimize(regex.GroupText(match, group));
      }
    }
  }
  if (matches != figure.expectedMatches) state.SkipWithError("unexpected number of matches");
  state.counters["matches"] = matches;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * figure.subject.size()));
}

void RunStdRegex(benchmark::State& state, const Figure& figure) {
  int matches = 0;
  for (auto _ : state) {
    const std::regex regex(figure.pattern, std::regex::ECMAScript | std::regex::icase);
    matches = 0;
    for (std::sregex_iterator it(figure.subject.begin(), figure.subject.end(), regex), end;
         it != end; ++it) {
      ++matches;
      for (int group = 1; group <= figure.groups; ++group) {
        benchmark::DoNotOptimize((*it)[group].str());
      }
    }
  }
  if (matches != figure.expectedMatches) state.SkipWithError("unexpected number of matches");
  state.counters["matches"] = matches;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * figure.subject.size()));
}

void BM_ChapterPattern(benchmark::State& state) {
  RunRegexObject(state, ChapterFigure());
  state.counters["subject_bytes"] = static_cast<double>(ChapterFigure().subject.size());
}
void BM_ChapterPatternStdRegex(benchmark::State& state) {
  RunStdRegex(state, ChapterFigure());
}
void BM_Site1ResultPattern(benchmark::State& state) {
  RunRegexObject(state, Site1Figure());
}
void BM_Site1ResultPatternStdRegex(benchmark::State& state) {
  RunStdRegex(state, Site1Figure());
}
void BM_Site2ResultPattern(benchmark::State& state) {
  RunRegexObject(state, Site2Figure());
}
void BM_Site2ResultPatternStdRegex(benchmark::State& state) {
  RunStdRegex(state, Site2Figure());
}
void BM_CharsetPattern(benchmark::State& state) {
  RunRegexObject(state, CharsetFigure());
}

BENCHMARK(BM_ChapterPattern)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChapterPatternStdRegex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Site1ResultPattern)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Site1ResultPatternStdRegex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Site2ResultPattern)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Site2ResultPatternStdRegex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CharsetPattern)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tevrin

BENCHMARK_MAIN();
