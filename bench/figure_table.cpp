// Runs every benchmark and probe built beside it and prints one table: each figure's median,
// its target, its baseline's median from the same run and the ratio between them.
//
// Usage: figure_table [--repetitions N] [--runs N] [--cli PATH] [--json-dir DIR]
//   --repetitions  Google Benchmark repetitions per benchmark (median over them), default 5
//   --runs         runs of each whole-process probe, default 15 (start-up) and 5 (memory)
//   --cli          tevrin-cli, the start-up baseline (default: ../src/tevrin-cli)
//   --json-dir     where the benchmarks' JSON goes (default: ./results)
//
// Single-threaded computations are reported in CPU time of the measuring thread, which other
// processes on the machine disturb far less than the wall clock; whatever spans threads or
// processes (fetches, the window, start-up) is reported in wall time.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace tevrin {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

struct Options {
  int repetitions = 5;
  int startupRuns = 15;
  int memoryRuns = 5;
  fs::path here;
  fs::path cli;
  fs::path jsonDir;
};

std::optional<Options> ParseOptions(int argc, char* argv[]) {
  Options options;
  options.here = fs::canonical("/proc/self/exe").parent_path();
  options.cli = options.here.parent_path() / "src" / "tevrin-cli";
  options.jsonDir = fs::current_path() / "results";
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (i + 1 >= argc) return std::nullopt;
    const std::string value = argv[++i];
    if (name == "--repetitions") {
      options.repetitions = std::max(1, std::atoi(value.c_str()));
    } else if (name == "--runs") {
      options.startupRuns = std::max(1, std::atoi(value.c_str()));
      options.memoryRuns = std::max(1, options.startupRuns / 3);
    } else if (name == "--cli") {
      options.cli = value;
    } else if (name == "--json-dir") {
      options.jsonDir = value;
    } else {
      return std::nullopt;
    }
  }
  return options;
}

double Median(std::vector<double> values) {
  if (values.empty()) return NAN;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string LoadAverage() {
  std::ifstream file("/proc/loadavg");
  std::string one, five, fifteen;
  file >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

std::string CpuModel() {
  std::ifstream file("/proc/cpuinfo");
  for (std::string line; std::getline(file, line);) {
    if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
  }
  return "unknown";
}

// Runs `argv` with its output going to `output` (nothing when empty); gives its exit status
// and the wall time from spawn to exit.
struct ProcessResult {
  int status = -1;
  double seconds = NAN;
};

ProcessResult RunProcess(const std::vector<std::string>& args, const fs::path& output) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string target = output.empty() ? "/dev/null" : output.string();
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, target.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

  ProcessResult result;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return result;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return result;
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// Medians of one benchmark program's runs, by run name, in nanoseconds of real and CPU time,
// with the counters' medians.
struct Medians {
  double realNs = NAN;
  double cpuNs = NAN;
  std::map<std::string, double> counters;
  bool failed = false;
};

double ToNanoseconds(double value, const std::string& unit) {
  if (unit == "us") return value * 1e3;
  if (unit == "ms") return value * 1e6;
  if (unit == "s") return value * 1e9;
  return value;
}

std::map<std::string, Medians> RunBenchmark(const Options& options, const std::string& program,
                                            int repetitions) {
  std::map<std::string, Medians> medians;
  const fs::path binary = options.here / program;
  if (!fs::exists(binary)) {
    std::fprintf(stderr, "  %s is not built; its figures are missing\n", program.c_str());
    return medians;
  }
  const fs::path json = options.jsonDir / (program + ".json");
  std::fprintf(stderr, "  %s ...\n", program.c_str());
  // Repetitions of a figure and of its baseline take turns, so a spell of load on the machine
  // falls on both rather than on one.
  const ProcessResult run = RunProcess(
      {binary.string(), "--benchmark_repetitions=" + std::to_string(repetitions),
       "--benchmark_enable_random_interleaving=true", "--benchmark_report_aggregates_only=true",
       "--benchmark_out_format=json", "--benchmark_out=" + json.string()},
      {});
  if (run.status != 0) std::fprintf(stderr, "  %s exited with %d\n", program.c_str(), run.status);
  std::ifstream file(json);
  const Json results = Json::parse(file, nullptr, false);
  if (results.is_discarded() || !results.contains("benchmarks")) return medians;
  for (const Json& entry : results["benchmarks"]) {
    const std::string name = entry.value("run_name", entry.value("name", ""));
    if (entry.value("error_occurred", false)) {
      medians[name].failed = true;
      continue;
    }
    if (entry.value("aggregate_name", "") != "median") continue;
    Medians& m = medians[name];
    const std::string unit = entry.value("time_unit", "ns");
    m.realNs = ToNanoseconds(entry.value("real_time", NAN), unit);
    m.cpuNs = ToNanoseconds(entry.value("cpu_time", NAN), unit);
    for (const auto& [key, value] : entry.items()) {
      if (value.is_number() && key != "real_time" && key != "cpu_time" && key != "iterations" &&
          key != "repetitions" && key != "repetition_index" && key != "threads" &&
          key != "family_index" && key != "per_family_instance_index") {
        m.counters[key] = value.get<double>();
      }
    }
  }
  return medians;
}

struct ProbeFigure {
  double seconds = NAN;
  double peakKib = NAN;
  int failures = 0;
};

// The start-up probe and its baseline, run in turns for the same reason.
std::pair<ProbeFigure, ProbeFigure> RunStartUp(const std::vector<std::string>& probe,
                                               const std::vector<std::string>& baseline, int runs) {
  ProbeFigure figures[2];
  std::vector<double> seconds[2];
  const std::vector<std::string>* commands[2] = {&probe, &baseline};
  for (int i = -1; i < runs; ++i) {
    for (int k = 0; k < 2; ++k) {
      const ProcessResult run = RunProcess(*commands[k], {});
      // The first round only brings the libraries into the page cache.
      if (i < 0) continue;
      if (run.status == 0) {
        seconds[k].push_back(run.seconds);
      } else {
        ++figures[k].failures;
      }
    }
  }
  for (int k = 0; k < 2; ++k) figures[k].seconds = Median(seconds[k]);
  return {figures[0], figures[1]};
}

ProbeFigure RunMemory(const Options& options) {
  ProbeFigure figure;
  std::vector<double> peaks;
  const fs::path output = options.jsonDir / "memory_probe.txt";
  for (int i = 0; i < options.memoryRuns; ++i) {
    const ProcessResult run = RunProcess({(options.here / "memory_probe").string()}, output);
    std::ifstream file(output);
    std::string key;
    double value = NAN;
    while (file >> key >> value) {
      if (key == "peak_rss_kib" && run.status == 0) peaks.push_back(value);
    }
    if (run.status != 0) ++figure.failures;
  }
  figure.peakKib = Median(peaks);
  return figure;
}

// ---- the table ----

struct Row {
  std::string figure;
  std::string median;
  std::string target;
  std::string baseline;
  std::string baselineMedian;
  std::string ratio;
  std::string met;
};

std::string Format(const char* format, double value) {
  if (std::isnan(value)) return "n/a";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

std::string Verdict(double value, bool met) {
  if (std::isnan(value)) return "n/a";
  return met ? "yes" : "NO";
}

const Medians* Find(const std::map<std::string, Medians>& results, const std::string& name) {
  const auto found = results.find(name);
  return found == results.end() || found->second.failed ? nullptr : &found->second;
}

double CpuNs(const std::map<std::string, Medians>& results, const std::string& name) {
  const Medians* m = Find(results, name);
  return m ? m->cpuNs : NAN;
}

double RealNs(const std::map<std::string, Medians>& results, const std::string& name) {
  const Medians* m = Find(results, name);
  return m ? m->realNs : NAN;
}

double Counter(const std::map<std::string, Medians>& results, const std::string& name,
               const std::string& counter) {
  const Medians* m = Find(results, name);
  if (!m) return NAN;
  const auto found = m->counters.find(counter);
  return found == m->counters.end() ? NAN : found->second;
}

void PrintTable(const std::vector<Row>& rows) {
  const std::vector<std::string> heads = {"figure",          "median", "target", "baseline",
                                          "baseline median", "ratio",  "met"};
  auto cells = [](const Row& row) {
    return std::vector<std::string>{row.figure,         row.median, row.target, row.baseline,
                                    row.baselineMedian, row.ratio,  row.met};
  };
  // Widths in bytes: every cell is ASCII.
  std::vector<std::size_t> widths(heads.size());
  for (std::size_t c = 0; c < heads.size(); ++c) widths[c] = heads[c].size();
  for (const Row& row : rows) {
    const auto values = cells(row);
    for (std::size_t c = 0; c < values.size(); ++c)
      widths[c] = std::max(widths[c], values[c].size());
  }
  auto line = [&](const std::vector<std::string>& values) {
    std::string text = "|";
    for (std::size_t c = 0; c < values.size(); ++c) {
      text += " " + values[c] + std::string(widths[c] - values[c].size(), ' ') + " |";
    }
    std::puts(text.c_str());
  };
  line(heads);
  std::vector<std::string> rule;
  for (std::size_t width : widths) rule.push_back(std::string(width, '-'));
  line(rule);
  for (const Row& row : rows) line(cells(row));
}

constexpr const char* kSizes[] = {"1024", "10240", "102400", "1048576", "5242880", "10485760"};

int Main(int argc, char* argv[]) {
  const std::optional<Options> parsed = ParseOptions(argc, argv);
  if (!parsed) {
    std::fprintf(
        stderr, "usage: figure_table [--repetitions N] [--runs N] [--cli PATH] [--json-dir DIR]\n");
    return 2;
  }
  const Options& options = *parsed;
  fs::create_directories(options.jsonDir);
  // The window is measured offscreen: no display is needed and none is disturbed.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (!std::getenv("XDG_RUNTIME_DIR")) setenv("XDG_RUNTIME_DIR", options.jsonDir.c_str(), 1);

  const std::string loadBefore = LoadAverage();
  std::fprintf(stderr, "measuring (load average %s) ...\n", loadBefore.c_str());
  const int repetitions = options.repetitions;
  const auto regex = RunBenchmark(options, "regex_bench", repetitions);
  const auto scan = RunBenchmark(options, "text_scan_bench", repetitions);
  // A fetch is the noisiest figure (TLS handshakes, fresh memory for every page): more turns.
  const auto web = RunBenchmark(options, "web_access_bench", 3 * repetitions);
  const auto window = RunBenchmark(options, "contents_job_bench", repetitions);
  std::fprintf(stderr, "  start-up ...\n");
  const auto [startUp, cliHelp] = RunStartUp({(options.here / "startup_probe").string()},
                                             {options.cli.string(), "--help"}, options.startupRuns);
  std::fprintf(stderr, "  memory ...\n");
  const ProbeFigure memory = RunMemory(options);
  const std::string loadAfter = LoadAverage();

  std::vector<Row> rows;
  const double ms = 1e6;
  auto timed = [&](const std::string& figure, double value, double limit, const char* unit,
                   double scale, const std::string& baseline, double baselineValue) {
    Row row{figure,
            Format("%.3g", value / scale) + " " + unit,
            "<= " + Format("%g", limit / scale) + " " + unit,
            baseline,
            baseline.empty() ? "" : Format("%.3g", baselineValue / scale) + " " + unit,
            baseline.empty() ? "" : Format("%.3gx", value / baselineValue),
            Verdict(value, value <= limit)};
    rows.push_back(row);
  };

  timed("chapter pattern, 5,000-chapter index (cpu)", CpuNs(regex, "BM_ChapterPattern"), 3 * ms,
        "ms", ms, "std::regex", CpuNs(regex, "BM_ChapterPatternStdRegex"));
  timed("site-1 result pattern, 100 results (cpu)", CpuNs(regex, "BM_Site1ResultPattern"), 2 * ms,
        "ms", ms, "std::regex", CpuNs(regex, "BM_Site1ResultPatternStdRegex"));
  timed("site-2 result pattern, 100 results (cpu)", CpuNs(regex, "BM_Site2ResultPattern"), 2 * ms,
        "ms", ms, "std::regex", CpuNs(regex, "BM_Site2ResultPatternStdRegex"));
  timed("charset pattern, 1024 bytes (cpu)", CpuNs(regex, "BM_CharsetPattern"), 20e3, "us", 1e3, "",
        NAN);

  struct Scan {
    const char* figure;
    const char* name;
    const char* baseline;
  };
  const Scan scans[] = {
      {"site-1 chapter cleaning", "BM_CleanSite1Chapter", "BM_MemchrScanSite1Text"},
      {"site-2 chapter cleaning", "BM_CleanSite2Chapter", "BM_MemchrScanSite2Text"},
      {"TextBetween, chapter page", "BM_TextBetween", "BM_MemchrScanSite1Page"},
  };
  for (const Scan& s : scans) {
    const std::string at5 = std::string(s.name) + "/5242880";
    const std::string base5 = std::string(s.baseline) + "/5242880";
    const double rate = Counter(scan, at5, "bytes_per_second") / 1e6;
    const double baseRate = Counter(scan, base5, "bytes_per_second") / 1e6;
    rows.push_back({std::string(s.figure) + ", 5 MiB (cpu)", Format("%.0f MB/s", rate),
                    ">= 200 MB/s", "memchr scan", Format("%.0f MB/s", baseRate),
                    Format("%.3gx", baseRate / rate), Verdict(rate, rate >= 200)});
    std::vector<double> perByte;
    for (const char* size : kSizes) {
      perByte.push_back(Counter(scan, std::string(s.name) + "/" + size, "time_per_byte") * 1e9);
    }
    const auto [low, high] = std::minmax_element(perByte.begin(), perByte.end());
    const double spread = *high / *low;
    rows.push_back({std::string(s.figure) + ", time/byte 1 KiB..10 MiB (cpu)",
                    Format("%.2f", *low) + ".." + Format("%.2f ns/B", *high), "max/min <= 2", "",
                    "", Format("%.2fx", spread), Verdict(spread, spread <= 2)});
  }

  const double fetch = RealNs(web, "BM_WebAccessFetch/real_time");
  const double bare = RealNs(web, "BM_BareCurlFetch/real_time");
  rows.push_back({"WebAccess, 200 KiB over loopback HTTPS, new connection (wall)",
                  Format("%.3g ms", fetch / ms), "<= 1.25x baseline", "bare libcurl easy fetch",
                  Format("%.3g ms", bare / ms), Format("%.3gx", fetch / bare),
                  Verdict(fetch / bare, fetch / bare <= 1.25)});

  const double direct = RealNs(window, "BM_ContentsRowsDirect/real_time");
  for (int site = 1; site <= 2; ++site) {
    timed("contents job, 5,000 chapters, site " + std::to_string(site) + ", into the window (wall)",
          RealNs(window, "BM_ContentsJob/" + std::to_string(site) + "/real_time"), 500 * ms, "ms",
          ms, "rows put in on the window thread", direct);
  }

  timed("start-up to the window shown (wall)", startUp.seconds * 1e9, 300 * ms, "ms", ms,
        "tevrin-cli --help", cliHelp.seconds * 1e9);
  rows.push_back({"peak resident memory, 5,000-chapter list + 1 MiB chapter",
                  Format("%.1f MiB", memory.peakKib / 1024), "<= 120 MiB", "", "", "",
                  Verdict(memory.peakKib, memory.peakKib <= 120 * 1024)});

  std::printf("Machine: %u cores, %s; load average %s before, %s after\n",
              std::max(1u, static_cast<unsigned>(sysconf(_SC_NPROCESSORS_ONLN))),
              CpuModel().c_str(), loadBefore.c_str(), loadAfter.c_str());
  std::printf(
      "Medians of %d repetitions (benchmarks; %d for the fetch), %d runs (start-up), %d runs "
      "(memory)\n\n",
      repetitions, 3 * repetitions, options.startupRuns, options.memoryRuns);
  PrintTable(rows);
  if (startUp.failures + cliHelp.failures + memory.failures > 0) {
    std::printf("\nprobe runs that failed: start-up %d, tevrin-cli %d, memory %d\n",
                startUp.failures, cliHelp.failures, memory.failures);
  }
  return 0;
}

}  // namespace
}  // namespace tevrin

int main(int argc, char* argv[]) {
  return tevrin::Main(argc, argv);
}
