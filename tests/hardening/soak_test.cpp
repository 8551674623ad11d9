// Long runs against real loopback servers: after a warm-up, open descriptors and resident memory
// must level off however many requests follow, failing ones included.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/event_table.h"
#include "app/headless_toolkit.h"
#include "app/reader.h"
#include "app/reader_state.h"
#include "samples/catalogue.h"
#include "samples/loopback_https_server.h"
#include "samples/sample_sites.h"
#include "support/raw_responder.h"
#include "support/scratch_directory.h"
#include "text/code_page.h"
#include "web/curl_http_service.h"
#include "web/web_access.h"

namespace tevrin {
namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// A sanitizer keeps freed memory in quarantine or shadow, so resident memory says nothing there.
constexpr bool kMemoryIsMeaningful = false;
#else
constexpr bool kMemoryIsMeaningful = true;
#endif

// Generous next to what a leak of one descriptor or one page body per request would add.
constexpr long kDescriptorSlack = 16;
constexpr long kResidentSlackKib = 24 * 1024;

struct Usage {
  long descriptors = 0;
  long residentKib = 0;
};

Usage Measure() {
  Usage usage;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++usage.descriptors;
  }
  std::ifstream statm("/proc/self/statm");
  long sizePages = 0;
  long residentPages = 0;
  statm >> sizePages >> residentPages;
  usage.residentKib = residentPages * (::sysconf(_SC_PAGESIZE) / 1024);
  return usage;
}

void ExpectLevelledOff(const char* run, const Usage& before, const Usage& after) {
  std::printf("%s: descriptors %ld -> %ld, resident %ld KiB -> %ld KiB\n", run, before.descriptors,
              after.descriptors, before.residentKib, after.residentKib);
  ::testing::Test::RecordProperty(std::string(run) + "_descriptor_growth",
                                  std::to_string(after.descriptors - before.descriptors));
  ::testing::Test::RecordProperty(std::string(run) + "_resident_growth_kib",
                                  std::to_string(after.residentKib - before.residentKib));
  EXPECT_LE(after.descriptors - before.descriptors, kDescriptorSlack);
  if (kMemoryIsMeaningful) {
    EXPECT_LE(after.residentKib - before.residentKib, kResidentSlackKib);
  }
}

/// An http origin nothing listens on: a server's, right after it has stopped.
std::string ClosedOrigin() {
  LoopbackHttpsServer server(
      [](const LoopbackHttpsServer::Request&) { return LoopbackHttpsServer::Response{}; },
      LoopbackHttpsServer::Scheme::kHttp);
  return server.origin();
}

TEST(SoakTest, ThousandRequestsWithFailuresLeaveNothingBehind) {
  // 64 KiB per page, so keeping a body per request would show in resident memory at once.
  const std::string page = "<html><body>" + std::string(64 * 1024, 'x') + "</body></html>";
  LoopbackHttpsServer server([&page](const LoopbackHttpsServer::Request& request) {
    if (request.path == "/page") return LoopbackHttpsServer::Response{200, "text/html", page, {}};
    return LoopbackHttpsServer::Response{404, "text/html", "gone", {}};
  });
  ASSERT_TRUE(server.Running());
  const std::string closed = ClosedOrigin();
  CurlHttpService http;

  enum class Kind { kPage, kMissing, kClosedPort, kReset };
  const Text sendFailed = Gbk(u8"711 发送请求失败!");
  const Text noResponse = Gbk(u8"712 服务器未响应!");

  auto call = [&](int i) {
    // Six pages, then a 404, a closed port and a reset in every ten calls.
    const int slot = i % 10;
    const Kind kind = slot == 6   ? Kind::kMissing
                      : slot == 7 ? Kind::kClosedPort
                      : slot == 8 ? Kind::kReset
                                  : Kind::kPage;
    WebAccessArgs args;
    Text status;
    args.statusText = &status;
    args.timeoutSeconds = 10;
    Text result;
    switch (kind) {
      case Kind::kPage:
        args.url = server.origin() + "/page";
        result = WebAccess(http, args);
        if (result != page || status != "200 OK")
          ADD_FAILURE() << "page call " << i << ": " << status;
        break;
      case Kind::kMissing:
        args.url = server.origin() + "/missing";
        result = WebAccess(http, args);
        if (result != "gone" || status != "404 Not Found") {
          ADD_FAILURE() << "404 call " << i << ": " << status;
        }
        break;
      case Kind::kClosedPort:
        args.url = closed + "/page";
        result = WebAccess(http, args);
        if (!result.empty() || status != sendFailed) ADD_FAILURE() << "closed call " << i;
        break;
      case Kind::kReset: {
        // A responder per call, so its finished connection threads are joined as we go.
        RawResponder reset([](RawResponder::Connection& connection) {
          connection.ReadRequest();
          connection.Reset();
        });
        args.url = reset.Origin() + "/page";
        result = WebAccess(http, args);
        if (!result.empty() || status != noResponse) ADD_FAILURE() << "reset call " << i;
        break;
      }
    }
  };

  constexpr int kWarmUp = 100;
  constexpr int kCalls = 1000;
  for (int i = 0; i < kWarmUp; ++i) call(i);
  const Usage before = Measure();
  for (int i = kWarmUp; i < kCalls && !HasFailure(); ++i) call(i);
  const Usage after = Measure();

  EXPECT_EQ(http.OpenHandleCount(), 0u);
  ExpectLevelledOff("web_access", before, after);
}

TEST(SoakTest, TwoHundredSearchContentsChapterCycles) {
  SampleSites sites;
  ASSERT_TRUE(sites.Running());
  const ScratchDirectory directory;
  ASSERT_FALSE(directory.path().empty());

  CurlHttpService http;
  ReaderState state;
  HeadlessToolkit window;
  window.SetRunDirectory(directory.path());
  Reader reader{window, state, http, sites.site1Origin(), sites.site2Origin()};

  const Text& keyword = SampleSearchKeywords().few;
  const std::vector<const SampleBook*> books = SampleBooksNamed(keyword);
  ASSERT_FALSE(books.empty());
  const SampleBook& first = *books.front();
  const Text firstTitle = SampleChapterTitle(first, 1);

  auto fire = [&](Control control, Event event) {
    FireEvent(reader, control, event);
    window.WaitForJobs();
  };
  // One search, one table of contents and one chapter, on both sites in turn.
  auto cycle = [&](int i) {
    window.SetChoice(i % 2);
    window.SetText(Control::编辑框_书名, keyword);
    fire(Control::按钮_搜索, Event::Clicked);
    window.SelectRow(Control::超级列表框1, 0);
    fire(Control::超级列表框1, Event::DoubleClicked);
    window.SelectRow(Control::超级列表框2, 0);
    fire(Control::超级列表框2, Event::DoubleClicked);
    if (window.Rows(Control::超级列表框1) != static_cast<int>(books.size()) ||
        window.Rows(Control::超级列表框2) != first.chapterCount ||
        window.Label(Control::透明标签_章节名称) != firstTitle || !window.Messages().empty()) {
      ADD_FAILURE() << "cycle " << i << " on site " << (i % 2 + 1) << " did not reach the chapter";
    }
  };

  constexpr int kWarmUp = 20;
  constexpr int kCycles = 200;
  for (int i = 0; i < kWarmUp; ++i) cycle(i);
  const Usage before = Measure();
  for (int i = kWarmUp; i < kCycles && !HasFailure(); ++i) cycle(i);
  const Usage after = Measure();

  EXPECT_EQ(http.OpenHandleCount(), 0u);
  ExpectLevelledOff("cycles", before, after);
}

}  // namespace
}  // namespace tevrin
