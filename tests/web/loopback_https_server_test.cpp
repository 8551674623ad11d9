#include "samples/loopback_https_server.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

namespace tevrin {
namespace {

using Server = LoopbackHttpsServer;

// A client that trusts only the server's own certificate and checks the host name, so the test
// also proves the certificate is good for 127.0.0.1.
std::unique_ptr<httplib::Client> TrustingClient(const Server& server) {
  auto client = std::make_unique<httplib::Client>(server.origin());
  client->set_url_encode(false);
  client->set_keep_alive(false);
  const std::string pem = server.CertificatePem();
  if (!pem.empty()) {
    BIO* memory = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    X509* certificate = PEM_read_bio_X509(memory, nullptr, nullptr, nullptr);
    BIO_free(memory);
    X509_STORE* store = X509_STORE_new();
    X509_STORE_add_cert(store, certificate);
    X509_free(certificate);
    client->set_ca_cert_store(store);
    client->enable_server_certificate_verification(true);
  }
  return client;
}

TEST(LoopbackHttpsServerTest, ServesTheHandlersBytesAndLogsRawTargets) {
  Server::Request seen;
  std::mutex mutex;
  const std::string body("GBK \xD6\xD0\xCE\xC4, a NUL \0 and more", 29);
  Server server([&](const Server::Request& request) {
    std::lock_guard lock(mutex);
    seen = request;
    return Server::Response{
        203, "text/html; charset=gbk", body, {{"Set-Cookie", "a=1"}, {"Set-Cookie", "b=2"}}};
  });
  ASSERT_TRUE(server.Running());
  EXPECT_EQ(server.origin(), "https://127.0.0.1:" + std::to_string(server.Port()));

  auto client = TrustingClient(server);
  const std::string target = "/a%20b/c.php?searchkey=%E4%B8%AD+x&page=1";
  // gzip offered on purpose: the body must still come back as given.
  const auto result = client->Get(target.c_str(), {{"Accept-Encoding", "gzip, deflate"}});
  ASSERT_TRUE(result) << httplib::to_string(result.error());
  EXPECT_EQ(result->status, 203);
  EXPECT_EQ(result->body, body);
  EXPECT_FALSE(result->has_header("Content-Encoding"));
  EXPECT_EQ(result->get_header_value("Content-Type"), "text/html; charset=gbk");
  EXPECT_EQ(result->get_header_value_count("Set-Cookie"), 2u);

  std::lock_guard lock(mutex);
  EXPECT_EQ(seen.method, "GET");
  EXPECT_EQ(seen.target, target);
  EXPECT_EQ(seen.path, "/a%20b/c.php");
  EXPECT_EQ(seen.query, "searchkey=%E4%B8%AD+x&page=1");
  EXPECT_EQ(server.Requests(), std::vector<std::string>{target});
  server.ClearRequests();
  EXPECT_TRUE(server.Requests().empty());
}

TEST(LoopbackHttpsServerTest, PlainHttpAndPostBodies) {
  Server server(
      [](const Server::Request& request) {
        return Server::Response{200, "text/plain", request.method + ":" + request.body, {}};
      },
      Server::Scheme::kHttp);
  ASSERT_TRUE(server.Running());
  EXPECT_EQ(server.origin().rfind("http://127.0.0.1:", 0), 0u);
  EXPECT_TRUE(server.CertificatePem().empty());

  auto client = TrustingClient(server);
  const auto posted = client->Post("/form", "k=v", "application/x-www-form-urlencoded");
  ASSERT_TRUE(posted);
  EXPECT_EQ(posted->body, "POST:k=v");
  const auto empty = client->Get("/");
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->body, "GET:");
  EXPECT_EQ(server.Requests(), (std::vector<std::string>{"/form", "/"}));
}

// Stopping right after starting must neither hang nor crash, and each server gets its own port.
TEST(LoopbackHttpsServerTest, StartsAndStopsPromptly) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 10; ++i) {
    Server first([](const Server::Request&) { return Server::Response{}; });
    Server second([](const Server::Request&) { return Server::Response{}; }, Server::Scheme::kHttp);
    ASSERT_TRUE(first.Running());
    ASSERT_TRUE(second.Running());
    EXPECT_NE(first.Port(), second.Port());
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// A client that hangs up in the middle of a large body must not take the process down with
// SIGPIPE, and the server must go on answering.
TEST(LoopbackHttpsServerTest, SurvivesAClientHangingUpMidBody) {
  Server server([](const Server::Request& request) {
    if (request.path == "/big")
      return Server::Response{200, "text/plain", std::string(32 << 20, 'x'), {}};
    return Server::Response{200, "text/plain", "small", {}};
  });
  ASSERT_TRUE(server.Running());
  {
    auto client = TrustingClient(server);
    std::size_t received = 0;
    const auto aborted = client->Get("/big", [&](const char*, std::size_t length) {
      received += length;
      return received < 100000;
    });
    EXPECT_FALSE(aborted);
  }
  auto client = TrustingClient(server);
  const auto after = client->Get("/small");
  ASSERT_TRUE(after);
  EXPECT_EQ(after->body, "small");
}

}  // namespace
}  // namespace tevrin
