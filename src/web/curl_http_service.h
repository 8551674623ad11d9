#pragma once

// HttpService over libcurl. Each request runs its own transfer on its own multi handle, driven
// from the calling thread by the service's operations: SendRequest until the request is out,
// ReceiveResponse until the final response's headers are in, QueryDataAvailable and ReadData
// while the body arrives, so the body comes in turns and is never held whole by the service.
//
// What the platform service's numbers promise, and how it is kept here:
// - only http and https, for the address and for every redirect; redirects followed unless
//   disabled, at most 10 hops, never from https down to http;
// - HTTP/1.1; the header block is the final response's, status line first, lines ended by CR LF;
// - the wire carries the added header block plus Host and Content-Length and nothing of curl's
//   own (no "Accept: */*", no User-Agent, no Expect, no default Content-Type);
// - time-outs per phase: resolve and connect share one clock limited by their sum; while
//   sending, waiting or reading, a transfer fails when no byte moves for the send or receive
//   time-out, so a slow but steady page still arrives;
// - certificate checks relaxed as the security flags say, cookies kept in memory for one
//   request's redirects unless disabled, proxies given as a proxy list, Basic credentials;
// - each failure lands where the platform service reports it: resolve, connect, TLS and send
//   failures in SendRequest; nothing or garbage back, or a failed redirect, in ReceiveResponse;
//   a break after the headers in QueryDataAvailable or ReadData, with what arrived kept.
// Every operation may be called from any thread; one request is driven by one thread at a time.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "web/http_service.h"

namespace tevrin {

class CurlHttpService final : public HttpService {
 public:
  static constexpr std::size_t kDefaultBodyCap = std::size_t{64} * 1024 * 1024;

  /// A response body longer than `bodyCap` bytes is cut there: the bytes up to the cap are
  /// delivered, then the read fails, so an endless body cannot exhaust memory.
  explicit CurlHttpService(std::size_t bodyCap = kDefaultBodyCap);
  ~CurlHttpService() override;
  CurlHttpService(const CurlHttpService&) = delete;
  CurlHttpService& operator=(const CurlHttpService&) = delete;

  bool CheckPlatform() override;
  /// Only http and https addresses are taken apart; the fragment is dropped.
  bool CrackUrl(const Text& url, UrlComponents& components) override;
  /// `proxyList` entries ("host:port", or "http=host:port" / "https=host:port" for one scheme)
  /// are separated by ";" or blanks; a proxy without a port listens on 80.
  HttpHandle Open(int accessType, const Text& proxyList) override;
  /// 0 and -1 mean no limit; below -1 fails.
  bool SetTimeouts(HttpHandle session, int resolveMs, int connectMs, int sendMs,
                   int receiveMs) override;
  HttpHandle Connect(HttpHandle session, const Text& hostName, int port) override;
  HttpHandle OpenRequest(HttpHandle connection, const Text& verb, const Text& objectName,
                         std::uint32_t flags) override;
  bool SetCredentials(HttpHandle request, int target, int scheme, const Text& userName,
                      const Text& password) override;
  /// The security flags, the cookie and redirect switches and the revocation switch; other
  /// options fail.
  bool SetOption(HttpHandle request, int option, std::uint32_t value) override;
  /// Empty lines are skipped; a line without a name and a colon, or holding a lone CR or LF,
  /// refuses the whole block.
  bool AddRequestHeaders(HttpHandle request, const Text& headers, std::uint32_t modifiers) override;
  bool SendRequest(HttpHandle request, std::string_view body, std::uint64_t totalLength) override;
  bool ReceiveResponse(HttpHandle request) override;
  bool QueryDataAvailable(HttpHandle request, std::size_t& available) override;
  bool ReadData(HttpHandle request, char* buffer, std::size_t size, std::size_t& read) override;
  bool QueryHeaders(HttpHandle request, int infoLevel, char* buffer, std::size_t& size) override;
  void CloseHandle(HttpHandle handle) override;

  /// Handles opened and not yet closed.
  std::size_t OpenHandleCount() const;

  struct Object;

 private:
  HttpHandle Add(std::shared_ptr<Object> object);
  template <typename T>
  std::shared_ptr<T> Find(HttpHandle handle) const;

  const std::size_t bodyCap_;
  const bool initialised_;
  mutable std::mutex mutex_;
  std::map<HttpHandle, std::shared_ptr<Object>> objects_;
  HttpHandle nextHandle_ = 1;
};

}  // namespace tevrin
