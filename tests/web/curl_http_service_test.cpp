// CurlHttpService on the wire, mostly through WebAccess as the program calls it: the exact request
// bytes, proxies, credentials, redirects, HTTPS, bad servers and many threads at once.

#include "web/curl_http_service.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "samples/loopback_https_server.h"
#include "support/raw_responder.h"
#include "text/code_page.h"
#include "web/web_access.h"

namespace tevrin {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr char kDefaultLines[] =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n"
    "Cache-Control: no-cache\r\n";

std::string Ok(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// One WebAccess call with every out-argument captured.
struct Fetched {
  Text result;
  Text statusText = "unset";
  Text responseHeaders = "unset";
  Text redirectLocation = "unset";
  Bytes responseBytes = "unset";
  Text responseCookies;
  Clock::duration elapsed{};
};

Fetched Fetch(HttpService& http, WebAccessArgs args) {
  Fetched out;
  args.statusText = &out.statusText;
  args.responseHeaders = &out.responseHeaders;
  args.redirectLocation = &out.redirectLocation;
  args.responseBytes = &out.responseBytes;
  args.responseCookies = &out.responseCookies;
  const Clock::time_point start = Clock::now();
  out.result = WebAccess(http, args);
  out.elapsed = Clock::now() - start;
  return out;
}

Fetched Fetch(HttpService& http, const std::string& url, int timeoutSeconds = 5) {
  WebAccessArgs args;
  args.url = url;
  args.timeoutSeconds = timeoutSeconds;
  return Fetch(http, args);
}

std::string Base64(const std::string& text) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < text.size(); i += 3) {
    unsigned value = static_cast<unsigned char>(text[i]) << 16;
    if (i + 1 < text.size()) value |= static_cast<unsigned char>(text[i + 1]) << 8;
    if (i + 2 < text.size()) value |= static_cast<unsigned char>(text[i + 2]);
    out += kDigits[(value >> 18) & 63];
    out += kDigits[(value >> 12) & 63];
    out += i + 1 < text.size() ? kDigits[(value >> 6) & 63] : '=';
    out += i + 2 < text.size() ? kDigits[value & 63] : '=';
  }
  return out;
}

// A port on which nothing listens: bound once by the system, then released.
int ClosedPort() {
  RawResponder probe(nullptr);
  return probe.Port();
}

class CurlHttpServiceTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(http.OpenHandleCount(), 0u); }

  CurlHttpService http;
};

TEST_F(CurlHttpServiceTest, ProgramsOwnCallSendsTheFiveDefaultLinesAndHostOnly) {
  RawResponder server(RawResponder::Reply(
      "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nSet-Cookie: sid=9; path=/\r\n"
      "Content-Length: 8\r\n\r\n<p>x</p>"));
  const Fetched got = Fetch(http, server.Origin() + "/book/12/?page=2&q=a%20b");

  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0], "GET /book/12/?page=2&q=a%20b HTTP/1.1\r\nHost: " +
                                      server.HostPort() + "\r\n" + kDefaultLines + "\r\n");
  EXPECT_EQ(got.result, "<p>x</p>");
  EXPECT_EQ(got.statusText, "200 OK");
  EXPECT_EQ(got.responseHeaders,
            "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nSet-Cookie: sid=9; path=/\r\n"
            "Content-Length: 8\r\n\r\n");
  EXPECT_EQ(got.responseCookies, "sid=9");
  EXPECT_EQ(got.redirectLocation, "unset");
}

TEST_F(CurlHttpServiceTest, PostCallerLinesCookiesAndCredentialsOnTheWire) {
  RawResponder server(RawResponder::Reply(Ok("done")));
  Text cookies = "a=1; b=2";
  WebAccessArgs args;
  args.url = server.Origin() + "/login";
  args.method = 1;
  args.bodyText = "name=%E4%B9%A6&x=1";
  args.requestHeaders = "x-trace: 7\r\nReferer: " + server.Origin() + "/";
  args.cookies = &cookies;
  args.userName = "reader";
  args.password = "pa:ss";
  args.timeoutSeconds = 5;
  const Fetched got = Fetch(http, args);

  EXPECT_EQ(got.result, "done");
  ASSERT_EQ(server.Requests().size(), 1u);
  const std::string expected = "POST /login HTTP/1.1\r\nHost: " + server.HostPort() +
                               "\r\nAuthorization: Basic " + Base64("reader:pa:ss") +
                               "\r\nX-Trace: 7\r\nReferer: " + server.Origin() +
                               "/\r\n"
                               "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; "
                               "WOW64; Trident/5.0)\r\n"
                               "Accept: text/html, application/xhtml+xml, */*\r\n"
                               "Accept-Encoding: gbk, GB2312\r\n"
                               "Accept-Language: zh-cn\r\n"
                               "Content-Type: application/x-www-form-urlencoded\r\n"
                               "Cache-Control: no-cache\r\n"
                               "Cookie: a=1; b=2\r\n"
                               "Content-Length: 18\r\n\r\n"
                               "name=%E4%B9%A6&x=1";
  EXPECT_EQ(server.Requests()[0], expected);
}

TEST_F(CurlHttpServiceTest, LargePostSendsNoExpectAndBodyBytesAsGiven) {
  RawResponder server(RawResponder::Reply(Ok("ok")));
  WebAccessArgs args;
  args.url = server.Origin() + "/upload";
  args.method = 3;
  args.bodyBytes = Bytes(3 * 1024 * 1024, 'z');
  args.bodyBytes[5] = '\0';
  args.completeHeaders = false;
  args.timeoutSeconds = 5;
  EXPECT_EQ(Fetch(http, args).result, "ok");
  ASSERT_EQ(server.Requests().size(), 1u);
  const std::string request = server.Requests()[0];
  EXPECT_EQ(
      request.substr(0, request.find("\r\n\r\n") + 4),
      "PUT /upload HTTP/1.1\r\nHost: " + server.HostPort() + "\r\nContent-Length: 3145728\r\n\r\n");
  EXPECT_EQ(request.substr(request.find("\r\n\r\n") + 4), args.bodyBytes);
}

TEST_F(CurlHttpServiceTest, EachMethodGoesOutWithItsVerbAndOnlyTheLengthItNeeds) {
  struct Case {
    int method;
    const char* body;
    const char* head;  // the request head without Host and the header block
    const char* result;
  };
  const Case cases[] = {
      {2, "", "HEAD /x HTTP/1.1\r\n", ""},
      {4, "", "OPTIONS /x HTTP/1.1\r\n", "page"},
      {5, "", "DELETE /x HTTP/1.1\r\n", "page"},
      {6, "", "TRACE /x HTTP/1.1\r\n", "page"},
      {0, "q=1", "GET /x HTTP/1.1\r\nContent-Length: 3\r\n", "page"},
      {1, "", "POST /x HTTP/1.1\r\nContent-Length: 0\r\n", "page"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.head);
    RawResponder server(RawResponder::Reply(Ok("page")));
    WebAccessArgs args;
    args.url = server.Origin() + "/x";
    args.method = c.method;
    args.bodyText = c.body;
    args.completeHeaders = false;
    const Fetched got = Fetch(http, args);
    EXPECT_EQ(got.result, c.result);
    EXPECT_EQ(got.statusText, "200 OK");
    ASSERT_EQ(server.Requests().size(), 1u);
    std::string request = server.Requests()[0];
    const std::string host = "Host: " + server.HostPort() + "\r\n";
    request.erase(request.find(host), host.size());
    EXPECT_EQ(request, std::string(c.head) + "\r\n" + c.body);
  }
}

TEST_F(CurlHttpServiceTest, HeaderLinesThatWouldSplitOnTheWireAreRefused) {
  RawResponder server(RawResponder::Reply(Ok("ok")));
  WebAccessArgs args;
  args.url = server.Origin() + "/";
  args.requestHeaders = "X-A: 1\nInjected: yes";
  args.normaliseHeaderNames = false;
  const Fetched got = Fetch(http, args);
  EXPECT_EQ(got.statusText, Gbk(u8"710 设置协议头失败!"));
  EXPECT_EQ(server.Connections(), 0);
}

TEST_F(CurlHttpServiceTest, HttpProxyGetsTheAbsoluteFormWithProxyCredentials) {
  RawResponder proxy(RawResponder::Reply(Ok("via proxy")));
  WebAccessArgs args;
  args.url = "http://novel.test:8081/book/3/?p=1";
  args.proxy = proxy.HostPort();
  args.proxyUserName = "keeper";
  args.proxyPassword = "gate";
  args.timeoutSeconds = 5;
  const Fetched got = Fetch(http, args);

  EXPECT_EQ(got.result, "via proxy");
  ASSERT_EQ(proxy.Requests().size(), 1u);
  EXPECT_EQ(proxy.Requests()[0],
            "GET http://novel.test:8081/book/3/?p=1 HTTP/1.1\r\nHost: novel.test:8081\r\n"
            "Proxy-Authorization: Basic " +
                Base64("keeper:gate") + "\r\n" + kDefaultLines + "\r\n");
}

TEST_F(CurlHttpServiceTest, HttpsThroughAProxyTunnelsWithConnect) {
  LoopbackHttpsServer site([](const LoopbackHttpsServer::Request& request) {
    LoopbackHttpsServer::Response response;
    response.body = "secret page " + request.target;
    return response;
  });
  ASSERT_TRUE(site.Running());
  const std::string siteHost = "127.0.0.1:" + std::to_string(site.Port());
  RawResponder proxy([&](RawResponder::Connection& connection) {
    if (connection.ReadRequest().empty()) return;
    connection.Send("HTTP/1.1 200 Connection established\r\n\r\n");
    connection.Relay(site.Port());
  });
  WebAccessArgs args;
  args.url = site.origin() + "/c/1.html";
  args.proxy = proxy.HostPort();
  args.proxyUserName = "keeper";
  args.proxyPassword = "gate";
  args.timeoutSeconds = 5;
  const Fetched got = Fetch(http, args);

  EXPECT_EQ(got.result, "secret page /c/1.html");
  EXPECT_EQ(got.statusText, "200 OK");
  // The tunnel's own response is not part of the header block.
  EXPECT_THAT(got.responseHeaders, StartsWith("HTTP/1.1 200 OK\r\n"));
  ASSERT_EQ(proxy.Requests().size(), 1u);
  EXPECT_EQ(proxy.Requests()[0], "CONNECT " + siteHost + " HTTP/1.1\r\nHost: " + siteHost +
                                     "\r\nProxy-Authorization: Basic " + Base64("keeper:gate") +
                                     "\r\n\r\n");
}

TEST_F(CurlHttpServiceTest, HttpsWithASelfSignedCertificateWorksAndFailsWithoutTheFlags) {
  LoopbackHttpsServer site([](const LoopbackHttpsServer::Request&) {
    LoopbackHttpsServer::Response response;
    response.body = "<html>https page</html>";
    return response;
  });
  ASSERT_TRUE(site.Running());
  const Fetched got = Fetch(http, site.origin() + "/index.html");
  EXPECT_EQ(got.result, "<html>https page</html>");
  EXPECT_EQ(got.statusText, "200 OK");

  // Without the security flags the certificate is checked, and the send step fails.
  UrlComponents url;
  ASSERT_TRUE(http.CrackUrl(site.origin() + "/index.html", url));
  const HttpHandle session = http.Open(http::kAccessTypeNoProxy, "");
  const HttpHandle connection = http.Connect(session, url.hostName, url.port);
  const HttpHandle request = http.OpenRequest(connection, "GET", url.path, http::kFlagSecure);
  EXPECT_TRUE(http.AddRequestHeaders(request, "", http::kAddRequestFlagAdd));
  EXPECT_FALSE(http.SendRequest(request, "", 0));
  http.CloseHandle(request);
  http.CloseHandle(connection);
  http.CloseHandle(session);
}

// Answers "/start" with a redirect to "/end" and "/end" with a page.
RawResponder::Script Redirecting(const std::string& location) {
  return [location](RawResponder::Connection& connection) {
    const std::string request = connection.ReadRequest();
    if (request.rfind("GET /start ", 0) == 0) {
      connection.Send("HTTP/1.1 302 Found\r\nLocation: " + location +
                      "\r\nSet-Cookie: hop=1\r\nContent-Length: 5\r\n\r\nmoved");
    } else {
      connection.Send(Ok("the end"));
    }
  };
}

TEST_F(CurlHttpServiceTest, RedirectsAreFollowedUnlessDisabled) {
  RawResponder server(Redirecting("/end"));
  const Fetched followed = Fetch(http, server.Origin() + "/start");
  EXPECT_EQ(followed.result, "the end");
  EXPECT_EQ(followed.statusText, "200 OK");
  EXPECT_THAT(followed.responseHeaders, StartsWith("HTTP/1.1 200 OK\r\n"));
  EXPECT_EQ(followed.redirectLocation, "unset");
  ASSERT_EQ(server.Requests().size(), 2u);
  EXPECT_THAT(server.Requests()[1], StartsWith("GET /end HTTP/1.1\r\n"));
  // The cookie set on the way is carried only when the caller gave cookies.
  EXPECT_THAT(server.Requests()[1], ::testing::Not(HasSubstr("hop=1")));

  WebAccessArgs args;
  args.url = server.Origin() + "/start";
  args.disableRedirects = true;
  const Fetched stopped = Fetch(http, args);
  EXPECT_EQ(stopped.result, "moved");
  EXPECT_EQ(stopped.statusText, "302 Found");
  EXPECT_EQ(stopped.redirectLocation, "/end");
  EXPECT_EQ(server.Requests().size(), 3u);

  // With cookies given, the service keeps the ones set on the way for the next hop.
  Text cookies = "a=1";
  args.disableRedirects = false;
  args.cookies = &cookies;
  EXPECT_EQ(Fetch(http, args).result, "the end");
  ASSERT_EQ(server.Requests().size(), 5u);
  EXPECT_THAT(server.Requests()[4], HasSubstr("\r\nCookie: a=1\r\n"));
  EXPECT_THAT(server.Requests()[4], HasSubstr("\r\nCookie: hop=1\r\n"));
}

TEST_F(CurlHttpServiceTest, ErrorStatusReturnsItsBody) {
  RawResponder server(
      RawResponder::Reply("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nno such p"));
  const Fetched got = Fetch(http, server.Origin() + "/missing");
  EXPECT_EQ(got.result, "no such p");
  EXPECT_EQ(got.statusText, "404 Not Found");
}

TEST_F(CurlHttpServiceTest, RedirectsThatMustNotBeFollowedEndWithoutAResponse) {
  static const Text kNoResponse = Gbk(u8"712 服务器未响应!");
  LoopbackHttpsServer secure([](const LoopbackHttpsServer::Request& request) {
    LoopbackHttpsServer::Response response;
    response.status = 302;
    response.headers = {{"Location", request.query}};  // the query names the target
    return response;
  });
  RawResponder plain(RawResponder::Reply(Ok("plain")));
  RawResponder loop([](RawResponder::Connection& connection) {
    connection.ReadRequest();
    connection.Send(
        "HTTP/1.1 302 Found\r\nLocation: /again\r\nContent-Length: 0\r\nConnection: close\r\n"
        "\r\n");
  });
  struct Case {
    const char* name;
    std::string url;
  };
  const Case cases[] = {
      {"https down to http", secure.origin() + "/go?" + plain.Origin() + "/"},
      {"another scheme", secure.origin() + "/go?ftp://127.0.0.1/file"},
      {"a loop", loop.Origin() + "/again"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Fetched got = Fetch(http, c.url);
    EXPECT_EQ(got.statusText, kNoResponse);
    EXPECT_EQ(got.result, "");
  }
  EXPECT_EQ(plain.Connections(), 0);
  // The first request and ten redirects.
  EXPECT_EQ(loop.Requests().size(), 11u);
}

TEST_F(CurlHttpServiceTest, BadServersEndWithinTheirTimeOutsAndKeepWhatArrived) {
  static const Text kSendFailed = Gbk(u8"711 发送请求失败!");
  static const Text kNoResponse = Gbk(u8"712 服务器未响应!");
  static const Text kBadUrl = Gbk(u8"701 解析URL地址失败!");
  const std::string head100 = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n";
  struct Case {
    const char* name;
    RawResponder::Script script;
    Text statusText;
    Text result;
    int method = 0;
  };
  const Case cases[] = {
      {"never answers", [](auto& c) { c.Stall(); }, kNoResponse, ""},
      {"never answers a post", [](auto& c) { c.Stall(); }, kNoResponse, "", 1},
      {"closes without a word", [](auto& c) { c.ReadRequest(); }, kNoResponse, ""},
      {"interim response first",
       [](auto& c) {
         c.ReadRequest();
         c.Send("HTTP/1.1 100 Continue\r\n\r\n");
         c.Pause(50ms);
         c.Send(Ok("final"));
       },
       "200 OK", "final"},
      {"header lines without end",
       [](auto& c) {
         c.ReadRequest();
         c.Send("HTTP/1.1 200 OK\r\n");
         c.SendEndlessly("X-Padding: 0123456789abcdef\r\n");
       },
       kNoResponse, ""},
      {"garbage status line",
       [](auto& c) {
         c.ReadRequest();
         c.Send("SPDY/9 what\r\n\r\nnonsense");
       },
       kNoResponse, ""},
      {"headers then silence",
       [&](auto& c) {
         c.ReadRequest();
         c.Send(head100 + "first part");
         c.Stall();
       },
       "200 OK", "first part"},
      {"reset mid-body",
       [&](auto& c) {
         c.ReadRequest();
         c.Send(head100 + "cut short");
         c.Pause(100ms);
         c.Reset();
       },
       "200 OK", "cut short"},
      {"content-length longer than the body",
       [&](auto& c) {
         c.ReadRequest();
         c.Send(head100 + "only this");
       },
       "200 OK", "only this"},
      {"slow but steady",
       [](auto& c) {
         c.ReadRequest();
         c.Trickle(Ok("abcdefghijklmnopqrstuvwxyz"), 10, 300ms);
       },
       "200 OK", "abcdefghijklmnopqrstuvwxyz"},
      {"charset unknown to iconv",
       [](auto& c) {
         c.ReadRequest();
         c.Send(Ok("<meta charset=x-martian-9>text"));
       },
       "200 OK", "<meta charset=x-martian-9>text"},
      {"bytes invalid for the declared charset",
       [](auto& c) {
         c.ReadRequest();
         c.Send(
             Ok("<meta charset=utf-8>a\xFF\xFE"
                "b"));
       },
       "200 OK", "<meta charset=utf-8>a??b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RawResponder server(c.script);
    WebAccessArgs args;
    args.url = server.Origin() + "/page";
    args.method = c.method;
    args.bodyText = c.method == 1 ? "k=v" : "";
    args.timeoutSeconds = 1;
    const Fetched got = Fetch(http, args);
    EXPECT_EQ(got.statusText, c.statusText);
    EXPECT_EQ(got.result, c.result);
    EXPECT_LT(got.elapsed, 3s);
  }

  struct Unreachable {
    const char* name;
    std::string url;
    Text statusText;
  };
  const Unreachable unreachable[] = {
      {"connection refused", "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/", kSendFailed},
      {"name that does not resolve", "http://nonexistent.invalid/", kSendFailed},
      {"another scheme", "ftp://127.0.0.1/file", kBadUrl},
      {"no host", "http:///path", kBadUrl},
  };
  for (const Unreachable& c : unreachable) {
    SCOPED_TRACE(c.name);
    const Fetched got = Fetch(http, c.url, 2);
    EXPECT_EQ(got.statusText, c.statusText);
    EXPECT_EQ(got.result, "");
    EXPECT_LT(got.elapsed, 5s);
  }
}

TEST(CurlHttpServiceCapTest, AnEndlessBodyStopsAtTheCap) {
  constexpr std::size_t kCap = 256 * 1024;
  CurlHttpService http(kCap);
  RawResponder server([](RawResponder::Connection& connection) {
    connection.ReadRequest();
    connection.Send("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n");
    connection.SendEndlessly(std::string(10000, 'w'));
  });
  const Fetched got = Fetch(http, server.Origin() + "/endless", 2);
  EXPECT_EQ(got.statusText, "200 OK");
  EXPECT_EQ(got.responseBytes.size(), kCap);
  EXPECT_EQ(got.result, std::string(kCap, 'w'));
  EXPECT_EQ(http.OpenHandleCount(), 0u);
}

TEST_F(CurlHttpServiceTest, TheBodyArrivesInTurnsAsItComes) {
  std::promise<void> firstPartRead;
  std::shared_future<void> resume = firstPartRead.get_future().share();
  RawResponder server([resume](RawResponder::Connection& connection) {
    connection.ReadRequest();
    connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 11\r\n\r\nfirst");
    // A service that waited for the whole body would see this only after the time-out.
    resume.wait_for(5s);
    connection.Send(" last");
    connection.Send("!");
  });
  UrlComponents url;
  ASSERT_TRUE(http.CrackUrl(server.Origin() + "/turns", url));
  const HttpHandle session = http.Open(http::kAccessTypeNoProxy, "");
  ASSERT_TRUE(http.SetTimeouts(session, 5000, 5000, 5000, 5000));
  const HttpHandle connection = http.Connect(session, url.hostName, url.port);
  const HttpHandle request = http.OpenRequest(connection, "GET", url.path, 0);
  ASSERT_TRUE(http.SendRequest(request, "", 0));
  ASSERT_TRUE(http.ReceiveResponse(request));

  const Clock::time_point start = Clock::now();
  std::size_t available = 0;
  ASSERT_TRUE(http.QueryDataAvailable(request, available));
  EXPECT_LT(Clock::now() - start, 2s);
  std::string body(available, '\0');
  std::size_t read = 0;
  ASSERT_TRUE(http.ReadData(request, body.data(), body.size(), read));
  EXPECT_EQ(body, "first");
  firstPartRead.set_value();

  for (;;) {
    ASSERT_TRUE(http.QueryDataAvailable(request, available));
    if (available == 0) break;
    std::string turn(available, '\0');
    ASSERT_TRUE(http.ReadData(request, turn.data(), turn.size(), read));
    body.append(turn, 0, read);
  }
  EXPECT_EQ(body, "first last!");

  std::size_t size = 0;
  EXPECT_FALSE(http.QueryHeaders(request, http::kQueryRawHeadersCrlf, nullptr, size));
  std::string block(size, '\0');
  ASSERT_TRUE(http.QueryHeaders(request, http::kQueryRawHeadersCrlf, block.data(), size));
  EXPECT_EQ(block.c_str(), std::string("HTTP/1.1 200 OK\r\nContent-Length: 11\r\n\r\n"));
  http.CloseHandle(request);
  http.CloseHandle(connection);
  http.CloseHandle(session);
}

TEST_F(CurlHttpServiceTest, CrackUrlTakesOnlyHttpAndHttpsApart) {
  struct Case {
    const char* url;
    bool ok;
    UrlComponents parts;
  };
  const Case cases[] = {
      {"http://a.test", true, {http::kSchemeHttp, "a.test", 80, "/", ""}},
      {"https://a.test?k=v", true, {http::kSchemeHttps, "a.test", 443, "/", "?k=v"}},
      {"HTTPS://A.test:8443/b/../c?x=1#frag",
       true,
       {http::kSchemeHttps, "A.test", 8443, "/b/../c", "?x=1"}},
      {"http://[::1]:81/", true, {http::kSchemeHttp, "[::1]", 81, "/", ""}},
      {"http:///path", false, {}},
      {"http:/a.test", false, {}},
      {"ftp://a.test/f", false, {}},
      {"file:///etc/passwd", false, {}},
      {"javascript:alert(1)", false, {}},
      {"a.test/no-scheme", false, {}},
      {"http://a.test:99999/", false, {}},
      {"", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    UrlComponents parts;
    ASSERT_EQ(http.CrackUrl(c.url, parts), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(parts.scheme, c.parts.scheme);
    EXPECT_EQ(parts.hostName, c.parts.hostName);
    EXPECT_EQ(parts.port, c.parts.port);
    EXPECT_EQ(parts.path, c.parts.path);
    EXPECT_EQ(parts.extraInfo, c.parts.extraInfo);
  }
}

TEST_F(CurlHttpServiceTest, NonAsciiAndBlanksInTheAddressAreEscapedOnTheWire) {
  RawResponder server(RawResponder::Reply(Ok("ok")));
  Fetch(http, server.Origin() + "/" + Gbk(u8"书") + " 1?k=" + Gbk(u8"名"));
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_THAT(server.Requests()[0], StartsWith("GET /%E4%B9%A6%201?k=%E5%90%8D HTTP/1.1\r\n"));
}

TEST_F(CurlHttpServiceTest, EightThreadsFetchAtOnce) {
  LoopbackHttpsServer site([](const LoopbackHttpsServer::Request& request) {
    LoopbackHttpsServer::Response response;
    response.body = "<html>page for " + request.target + std::string(20000, '.') + "</html>";
    return response;
  });
  RawResponder plain([](RawResponder::Connection& connection) {
    const std::string request = connection.ReadRequest();
    const std::string target = request.substr(4, request.find(' ', 4) - 4);
    connection.Trickle(Ok("plain page for " + target), 7, 5ms);
  });
  ASSERT_TRUE(site.Running());
  constexpr int kThreads = 8;
  constexpr int kRounds = 4;
  std::vector<std::vector<std::string>> results(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRounds; ++round) {
        const std::string path = "/t" + std::to_string(t) + "/r" + std::to_string(round);
        const std::string origin = (t + round) % 2 ? site.origin() : plain.Origin();
        results[t].push_back(Fetch(http, origin + path).result);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    for (int round = 0; round < kRounds; ++round) {
      SCOPED_TRACE("thread " + std::to_string(t) + " round " + std::to_string(round));
      const std::string path = "/t" + std::to_string(t) + "/r" + std::to_string(round);
      const std::string expected =
          (t + round) % 2 ? "<html>page for " + path + std::string(20000, '.') + "</html>"
                          : "plain page for " + path;
      EXPECT_EQ(results[t][round], expected);
    }
  }
}

}  // namespace
}  // namespace tevrin
