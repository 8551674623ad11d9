// WebAccess fetching a 200 KiB chapter page from the loopback HTTPS server, a new connection and
// TLS handshake each call, against one bare libcurl easy transfer of the same page with the
// settings CurlHttpService gives curl for the same request.

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <memory>
#include <string>

#include "bench_pages.h"
#include "samples/loopback_https_server.h"
#include "text/text.h"
#include "web/curl_http_service.h"
#include "web/request_headers.h"
#include "web/web_access.h"

namespace tevrin {
namespace {

constexpr std::size_t kPageBytes = 200 * 1024;
constexpr std::string_view kTarget = "/book/900/1.html";

// A site-1 chapter page (GBK, declaring gbk, so nothing is converted) of 200 KiB in all.
const Text& Page() {
  static const Text page = [] {
    const std::size_t frame = Site1ChapterPageOfSize(0).size();
    return Site1ChapterPageOfSize(kPageBytes - frame);
  }();
  return page;
}

LoopbackHttpsServer::Response Serve(const LoopbackHttpsServer::Request& request) {
  if (request.target != kTarget) return {404, "text/html", "", {}};
  return {200, "text/html", Page(), {}};
}

void BM_WebAccessFetch(benchmark::State& state) {
  LoopbackHttpsServer server(Serve);
  CurlHttpService http;
  WebAccessArgs args;
  args.url = server.origin() + std::string(kTarget);
  std::size_t received = 0;
  for (auto _ : state) {
    const Text page = WebAccess(http, args);
    received = page.size();
  }
  if (!server.Running() || received != Page().size()) state.SkipWithError("page not received");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * received));
}

struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};

std::size_t Append(char* data, std::size_t size, std::size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

// What WebAccess puts on the wire for a GET, and the empty entries that keep curl's own
// defaults off it.
std::unique_ptr<curl_slist, SlistDeleter> RequestHeaderList() {
  curl_slist* list = nullptr;
  const TextList lines = Split(ComposeRequestHeaders("", 0, "", true, true), "\r\n");
  for (const Text& line : lines) {
    if (!line.empty()) list = curl_slist_append(list, line.c_str());
  }
  list = curl_slist_append(list, "Expect:");
  list = curl_slist_append(list, "Content-Type:");
  return std::unique_ptr<curl_slist, SlistDeleter>(list);
}

std::string BareFetch(const std::string& url, const curl_slist* headers) {
  std::string body;
  std::string headerBlock;
  const std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
  CURL* handle = easy.get();
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "https");
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(handle, CURLOPT_PROXY, "");
  curl_easy_setopt(handle, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, 60000L);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, 30L);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 0L);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 0L);
  curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, Append);
  curl_easy_setopt(handle, CURLOPT_HEADERDATA, &headerBlock);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, Append);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
  if (curl_easy_perform(handle) != CURLE_OK) return {};
  return body;
}

void BM_BareCurlFetch(benchmark::State& state) {
  LoopbackHttpsServer server(Serve);
  const std::string url = server.origin() + std::string(kTarget);
  const auto headers = RequestHeaderList();
  std::size_t received = 0;
  for (auto _ : state) {
    const std::string page = BareFetch(url, headers.get());
    received = page.size();
  }
  if (!server.Running() || received != Page().size()) state.SkipWithError("page not received");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * received));
}

BENCHMARK(BM_WebAccessFetch)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareCurlFetch)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tevrin

BENCHMARK_MAIN();
