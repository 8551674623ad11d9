#include "support/raw_responder.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace tevrin {

namespace {

void MakeNonBlocking(int fd) {
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// The Content-Length of a request head; 0 when it has none.
std::size_t ContentLength(std::string_view head) {
  std::size_t at = 0;
  while (at < head.size()) {
    std::size_t end = head.find("\r\n", at);
    if (end == std::string_view::npos) end = head.size();
    const std::string_view line = head.substr(at, end - at);
    at = end + 2;
    constexpr std::string_view kName = "content-length:";
    if (line.size() < kName.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < kName.size() && same; ++i) {
      char c = line[i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      same = c == kName[i];
    }
    if (same) return std::strtoull(std::string(line.substr(kName.size())).c_str(), nullptr, 10);
  }
  return 0;
}

}  // namespace

bool RawResponder::Connection::WaitFor(int fd, bool write) {
  pollfd fds[2] = {{fd, static_cast<short>(write ? POLLOUT : POLLIN), 0},
                   {owner_.wake_, POLLIN, 0}};
  for (;;) {
    const int ready = poll(fds, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || fds[1].revents != 0) return false;
    if (fds[0].revents != 0) return true;
  }
}

std::string RawResponder::Connection::ReadRequest() {
  std::string bytes;
  std::size_t wanted = std::string::npos;
  char buffer[4096];
  while (wanted == std::string::npos || bytes.size() < wanted) {
    if (!WaitFor(socket_, false)) break;
    const ssize_t got = recv(socket_, buffer, sizeof buffer, 0);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (got <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
    if (wanted == std::string::npos) {
      const std::size_t headEnd = bytes.find("\r\n\r\n");
      if (headEnd != std::string::npos) {
        wanted = headEnd + 4 + ContentLength(std::string_view(bytes).substr(0, headEnd));
      }
    }
  }
  if (wanted != std::string::npos && bytes.size() > wanted) bytes.resize(wanted);
  if (!bytes.empty()) owner_.Record(bytes);
  return wanted != std::string::npos && bytes.size() == wanted ? bytes : std::string();
}

bool RawResponder::Connection::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    if (!WaitFor(socket_, true)) return false;
    const ssize_t sent = send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

bool RawResponder::Connection::Trickle(std::string_view bytes, std::size_t pieceSize,
                                       std::chrono::milliseconds pause) {
  while (!bytes.empty()) {
    const std::size_t size = std::min(pieceSize, bytes.size());
    if (!Send(bytes.substr(0, size))) return false;
    bytes.remove_prefix(size);
    if (!bytes.empty()) Pause(pause);
    if (owner_.stopping_) return false;
  }
  return true;
}

void RawResponder::Connection::SendEndlessly(std::string_view piece) {
  while (Send(piece)) {
  }
}

void RawResponder::Connection::Stall() {
  char buffer[4096];
  while (WaitFor(socket_, false)) {
    const ssize_t got = recv(socket_, buffer, sizeof buffer, 0);
    if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) return;
  }
}

void RawResponder::Connection::Pause(std::chrono::milliseconds duration) {
  pollfd wake = {owner_.wake_, POLLIN, 0};
  poll(&wake, 1, static_cast<int>(duration.count()));
}

void RawResponder::Connection::Reset() {
  const linger abort = {1, 0};
  setsockopt(socket_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
  close(socket_);
  socket_ = -1;
}

void RawResponder::Connection::Relay(int port) {
  const int upstream = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (upstream < 0) return;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(upstream, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    close(upstream);
    return;
  }
  MakeNonBlocking(upstream);
  char buffer[16384];
  for (bool open = true; open;) {
    pollfd fds[3] = {{socket_, POLLIN, 0}, {upstream, POLLIN, 0}, {owner_.wake_, POLLIN, 0}};
    if (poll(fds, 3, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[2].revents != 0) break;
    for (int side = 0; side < 2 && open; ++side) {
      if (fds[side].revents == 0) continue;
      const int from = side == 0 ? socket_ : upstream;
      const int to = side == 0 ? upstream : socket_;
      const ssize_t got = recv(from, buffer, sizeof buffer, 0);
      if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      if (got <= 0) {
        open = false;
        break;
      }
      for (std::string_view rest(buffer, static_cast<std::size_t>(got)); !rest.empty();) {
        if (!WaitFor(to, true)) {
          open = false;
          break;
        }
        const ssize_t sent = send(to, rest.data(), rest.size(), MSG_NOSIGNAL);
        if (sent < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (sent <= 0) {
          open = false;
          break;
        }
        rest.remove_prefix(static_cast<std::size_t>(sent));
      }
    }
  }
  close(upstream);
}

RawResponder::RawResponder(Script script) : script_(std::move(script)) {
  wake_ = eventfd(0, EFD_CLOEXEC);
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = 0;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (wake_ < 0 || listener_ < 0 ||
      bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 64) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return;
  }
  port_ = ntohs(address.sin_port);
  // listen() has returned, so connections queue from here on even before the first accept.
  acceptor_ = std::thread([this] { Accept(); });
}

RawResponder::~RawResponder() {
  stopping_ = true;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(wake_, &one, sizeof one);
  if (acceptor_.joinable()) acceptor_.join();
  std::vector<std::thread> workers;
  {
    std::lock_guard lock(mutex_);
    workers = std::move(workers_);
  }
  for (std::thread& worker : workers) worker.join();
  if (listener_ >= 0) close(listener_);
  if (wake_ >= 0) close(wake_);
}

RawResponder::Script RawResponder::Reply(std::string response) {
  return [response = std::move(response)](Connection& connection) {
    connection.ReadRequest();
    connection.Send(response);
  };
}

std::string RawResponder::HostPort() const {
  return "127.0.0.1:" + std::to_string(port_);
}

std::string RawResponder::Origin() const {
  return "http://" + HostPort();
}

std::vector<std::string> RawResponder::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

int RawResponder::Connections() const {
  std::lock_guard lock(mutex_);
  return connections_;
}

void RawResponder::Accept() {
  for (;;) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    const int accepted = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (accepted < 0) continue;
    MakeNonBlocking(accepted);
    std::lock_guard lock(mutex_);
    ++connections_;
    workers_.emplace_back([this, accepted] { Serve(accepted); });
  }
}

void RawResponder::Serve(int socket) {
  Connection connection(*this, socket);
  if (script_) script_(connection);
  // The connection closes its socket itself after a reset.
  if (connection.socket_ >= 0) {
    shutdown(connection.socket_, SHUT_WR);
    close(connection.socket_);
  }
}

void RawResponder::Record(std::string request) {
  std::lock_guard lock(mutex_);
  requests_.push_back(std::move(request));
}

}  // namespace tevrin
