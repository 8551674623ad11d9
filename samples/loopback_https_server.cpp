#include "samples/loopback_https_server.h"

#include <httplib.h>

#include <future>
#include <memory>
#include <string_view>

namespace tevrin {
namespace {

constexpr std::string_view kHost = "127.0.0.1";

LoopbackHttpsServer::Request FromWire(const httplib::Request& wire, std::string_view scheme) {
  LoopbackHttpsServer::Request request;
  // Taken from the connection rather than from the server object, which the constructor is
  // still filling in while the first worker may already run.
  request.origin = std::string(scheme) + std::string(kHost) + ":" + std::to_string(wire.local_port);
  request.method = wire.method;
  request.target = wire.target;
  const std::size_t question = wire.target.find('?');
  request.path = wire.target.substr(0, question);
  if (question != std::string::npos) request.query = wire.target.substr(question + 1);
  for (const auto& [name, value] : wire.headers) request.headers.emplace_back(name, value);
  request.body = wire.body;
  return request;
}

void ToWire(LoopbackHttpsServer::Response response, httplib::Response& wire) {
  wire.status = response.status;
  const std::size_t length = response.body.size();
  if (length == 0) {
    wire.set_content(std::string(), response.contentType.c_str());
  } else {
    // A sized content provider keeps the library from compressing the body whatever the client
    // accepts: the bytes on the wire are the bytes the handler gave.
    auto body = std::make_shared<std::string>(std::move(response.body));
    wire.set_content_provider(
        length, response.contentType.c_str(),
        [body](std::size_t offset, std::size_t size, httplib::DataSink& sink) {
          return sink.write(body->data() + offset, size);
        });
  }
  if (response.contentType.empty()) wire.headers.erase("Content-Type");
  for (auto& [name, value] : response.headers) wire.headers.emplace(name, value);
}

std::string_view SchemePrefix(LoopbackHttpsServer::Scheme scheme) {
  return scheme == LoopbackHttpsServer::Scheme::kHttps ? "https://" : "http://";
}

}  // namespace

LoopbackHttpsServer::LoopbackHttpsServer(Handler handler, Scheme scheme)
    : handler_(std::move(handler)), scheme_(scheme) {
  if (scheme_ == Scheme::kHttps) {
    if (!certificate_.Valid()) return;
    auto secure =
        std::make_unique<httplib::SSLServer>(certificate_.Certificate(), certificate_.PrivateKey());
    if (!secure->is_valid()) return;
    server_ = std::move(secure);
  } else {
    server_ = std::make_unique<httplib::Server>();
  }

  const auto serve = [this](const httplib::Request& wire, httplib::Response& answer) {
    ToWire(Answer(FromWire(wire, SchemePrefix(scheme_))), answer);
  };
  // "[\s\S]*" rather than ".*": a decoded path may hold a line feed.
  const std::string everything = R"([\s\S]*)";
  server_->Get(everything, serve);
  server_->Post(everything, serve);
  server_->Put(everything, serve);
  server_->Patch(everything, serve);
  server_->Delete(everything, serve);
  server_->Options(everything, serve);

  // An idle kept-alive connection holds up stop() until this runs out, so keep it short; the
  // program's own requests never reuse a connection across calls anyway.
  server_->set_keep_alive_timeout(1);
  // TLS sends a response as several small records; with Nagle's algorithm each waits for the
  // client's delayed acknowledgement, some 40 ms per request on loopback.
  server_->set_tcp_nodelay(true);

  const int port = server_->bind_to_any_port(std::string(kHost));
  if (port <= 0) {
    server_.reset();
    return;
  }

  // The library sets its running flag before it makes its task queue, so the queue's creation
  // is the moment from which stop() takes effect; waiting for it keeps a destructor that runs
  // right after construction from missing the listener and joining forever.
  auto listening = std::make_shared<std::promise<void>>();
  std::future<void> ready = listening->get_future();
  server_->new_task_queue = [listening]() -> httplib::TaskQueue* {
    listening->set_value();
    return new httplib::ThreadPool(CPPHTTPLIB_THREAD_POOL_COUNT);
  };
  listener_ = std::thread([this] { server_->listen_after_bind(); });
  ready.wait();
  port_ = port;
}

LoopbackHttpsServer::~LoopbackHttpsServer() {
  if (server_) server_->stop();
  if (listener_.joinable()) listener_.join();
}

bool LoopbackHttpsServer::Running() const {
  return server_ && server_->is_running();
}

int LoopbackHttpsServer::Port() const {
  return port_;
}

std::string LoopbackHttpsServer::origin() const {
  if (port_ == 0) return {};
  return std::string(SchemePrefix(scheme_)) + std::string(kHost) + ":" + std::to_string(port_);
}

std::string LoopbackHttpsServer::CertificatePem() const {
  return scheme_ == Scheme::kHttps ? certificate_.CertificatePem() : std::string();
}

std::vector<std::string> LoopbackHttpsServer::Requests() const {
  std::lock_guard lock(mutex_);
  return targets_;
}

void LoopbackHttpsServer::ClearRequests() {
  std::lock_guard lock(mutex_);
  targets_.clear();
}

LoopbackHttpsServer::Response LoopbackHttpsServer::Answer(Request request) {
  {
    std::lock_guard lock(mutex_);
    targets_.push_back(request.target);
  }
  if (!handler_) return Response{404, "text/plain", "no handler", {}};
  return handler_(request);
}

}  // namespace tevrin
