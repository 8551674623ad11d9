#pragma once

// A raw TCP server on 127.0.0.1 for wire-level and bad-server tests. Each accepted connection
// runs a script on its own thread: read the request, answer with canned bytes, stall, trickle,
// stream without end, reset, or relay to another port (to stand in for a proxy). The raw bytes
// of every request read are recorded.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tevrin {

class RawResponder {
 public:
  /// One accepted connection, as its script sees it. Every wait ends early when the responder
  /// stops, so a script never outlives the responder.
  class Connection {
   public:
    Connection(RawResponder& owner, int socket) : owner_(owner), socket_(socket) {}

    /// Reads one request: the head up to its blank line, then as many body bytes as its
    /// Content-Length says. The bytes are recorded; empty when the peer closed first.
    std::string ReadRequest();
    /// False once the peer is gone.
    bool Send(std::string_view bytes);
    /// Sends `bytes` in pieces of `pieceSize` with `pause` between them.
    bool Trickle(std::string_view bytes, std::size_t pieceSize, std::chrono::milliseconds pause);
    /// Sends `piece` again and again until the peer goes away or the responder stops.
    void SendEndlessly(std::string_view piece);
    /// Waits without answering until the peer closes or the responder stops.
    void Stall();
    /// Waits for `duration` (less when the responder stops).
    void Pause(std::chrono::milliseconds duration);
    /// Ends the connection with a TCP reset instead of an orderly close.
    void Reset();
    /// Relays bytes both ways between the peer and 127.0.0.1:`port` until either side closes.
    void Relay(int port);

   private:
    friend class RawResponder;
    // Waits until `fd` is readable (or writable); false when the responder stops first.
    bool WaitFor(int fd, bool write);

    RawResponder& owner_;
    int socket_;
  };

  using Script = std::function<void(Connection&)>;

  /// Listens on a system-chosen port; the constructor returns once connections are accepted.
  /// Port() is 0 when nothing could listen.
  explicit RawResponder(Script script);
  /// Stops every script, closes every socket and joins every thread.
  ~RawResponder();
  RawResponder(const RawResponder&) = delete;
  RawResponder& operator=(const RawResponder&) = delete;

  /// A script that reads the request and answers with `response`, then closes.
  static Script Reply(std::string response);

  int Port() const { return port_; }
  /// "127.0.0.1:PORT".
  std::string HostPort() const;
  /// "http://127.0.0.1:PORT".
  std::string Origin() const;
  /// The raw bytes of every request read so far, in the order they were read.
  std::vector<std::string> Requests() const;
  /// Connections accepted so far.
  int Connections() const;

 private:
  void Accept();
  void Serve(int socket);
  void Record(std::string request);

  Script script_;
  int listener_ = -1;
  int wake_ = -1;  // an eventfd that becomes readable when the responder stops
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;
  mutable std::mutex mutex_;
  std::vector<std::thread> workers_;
  std::vector<std::string> requests_;
  int connections_ = 0;
};

}  // namespace tevrin
