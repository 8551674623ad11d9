#pragma once

// Both sample sites on loopback servers of their own, serving the catalogue's books in the
// markup the search, contents and chapter jobs read, with room for a test to swap in a page.

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "samples/loopback_https_server.h"

namespace tevrin {

/// Site 1 (GBK) and site 2 (UTF-8) on two servers, each on a port of its own, from
/// construction to destruction.
///
/// Site 1: "/modules/article/search.php?searchkey=KEY", "/book/ID/", "/book/ID/N.html".
/// Site 2: "/search.html?keyword=KEY&page=N", "/book/ID/", "/book/ID/all.html",
/// "/book/ID/N.html". KEY is percent-encoded UTF-8. Anything else gives 404.
/// A site number is 1 for site 1 and anything else for site 2, as with the program's site code.
class SampleSites {
 public:
  using Response = LoopbackHttpsServer::Response;

  /// Starts both servers (HTTPS unless told otherwise).
  explicit SampleSites(LoopbackHttpsServer::Scheme scheme = LoopbackHttpsServer::Scheme::kHttps);
  SampleSites(const SampleSites&) = delete;
  SampleSites& operator=(const SampleSites&) = delete;

  /// True when both servers listen.
  bool Running() const;
  /// "https://127.0.0.1:PORT" of each site, no trailing slash.
  std::string site1Origin() const;
  std::string site2Origin() const;

  /// Targets the site received, in arrival order, exactly as sent ("path?query").
  std::vector<std::string> Requests(int site) const;
  /// Forgets the targets both sites received.
  void ClearRequests();

  /// From now on the site answers `target` (exactly as sent, "path?query") with `response`
  /// instead of its own page.
  void Override(int site, const std::string& target, Response response);
  /// Back to the sites' own pages.
  void ClearOverrides();

 private:
  Response Serve(int site, const LoopbackHttpsServer::Request& request) const;

  mutable std::mutex mutex_;
  std::map<std::pair<int, std::string>, Response> overrides_;
  // Last, so the servers stop before anything their handlers use goes away.
  LoopbackHttpsServer site1_;
  LoopbackHttpsServer site2_;
};

}  // namespace tevrin
