#pragma once

// A small web server on 127.0.0.1 for tests and demos: HTTPS with a self-signed certificate (or
// plain HTTP), a port chosen by the system, one catch-all handler and a log of what it was asked.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "samples/self_signed_certificate.h"

namespace httplib {
class Server;
}

namespace tevrin {

/// A server listening on 127.0.0.1 from construction to destruction. The constructor returns
/// once the server accepts connections; the destructor stops it and joins its threads. Requests
/// are answered on worker threads, so the handler must be safe to call concurrently.
class LoopbackHttpsServer {
 public:
  using Header = std::pair<std::string, std::string>;

  /// One request as the handler sees it.
  struct Request {
    /// The origin the request came in on ("https://127.0.0.1:PORT").
    std::string origin;
    std::string method;
    /// The request target exactly as it came on the wire ("path?query", nothing decoded).
    std::string target;
    /// The part of `target` before the first "?", undecoded.
    std::string path;
    /// The part of `target` after the first "?" (empty without one), undecoded.
    std::string query;
    /// Header lines, ordered by name as the server library keeps them; names as sent.
    std::vector<Header> headers;
    std::string body;
  };

  /// The handler's answer. The body goes out byte for byte, never compressed; Content-Length is
  /// added by the server.
  struct Response {
    int status = 200;
    std::string contentType = "text/html";
    std::string body;
    /// Added after Content-Type; a name may repeat (several Set-Cookie lines, for instance).
    std::vector<Header> headers;
  };

  using Handler = std::function<Response(const Request&)>;

  enum class Scheme { kHttps, kHttp };

  /// Binds a system-chosen port on 127.0.0.1 and serves every method and target with
  /// `handler`. When the port cannot be bound or TLS cannot be set up, `Running()` is false and
  /// nothing listens.
  explicit LoopbackHttpsServer(Handler handler, Scheme scheme = Scheme::kHttps);
  ~LoopbackHttpsServer();
  LoopbackHttpsServer(const LoopbackHttpsServer&) = delete;
  LoopbackHttpsServer& operator=(const LoopbackHttpsServer&) = delete;

  /// True while the server accepts connections.
  bool Running() const;
  /// The bound port; 0 when not running.
  int Port() const;
  /// "https://127.0.0.1:PORT" (or "http://..." for plain HTTP), no trailing slash.
  std::string origin() const;
  /// The certificate the server presents (PEM); empty for plain HTTP.
  std::string CertificatePem() const;

  /// Targets received so far, in arrival order, exactly as sent ("path?query").
  std::vector<std::string> Requests() const;
  /// Forgets the targets received so far.
  void ClearRequests();

 private:
  Response Answer(Request request);

  Handler handler_;
  Scheme scheme_;
  SelfSignedCertificate certificate_;
  std::unique_ptr<httplib::Server> server_;
  int port_ = 0;
  std::thread listener_;
  mutable std::mutex mutex_;
  std::vector<std::string> targets_;
};

}  // namespace tevrin
