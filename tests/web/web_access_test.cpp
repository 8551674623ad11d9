// WebAccess over the scripted service: the calls it makes, every message and how the call ends,
// the read loop, the status, Location and cookie handling, and when window events are processed.

#include "web/web_access.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/fake_http_service.h"
#include "text/code_page.h"

namespace tevrin {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Op = FakeHttpService::Op;
using Args = std::vector<std::string>;

constexpr char kDefaultBlock[] =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n"
    "Cache-Control: no-cache";

// The caller's out-variables, preset so that a path that must not write them shows it.
struct Outs {
  Text cookies;
  Text responseCookies = "untouched-rc";
  Text responseHeaders = "untouched-rh";
  Text redirectLocation = "untouched-rl";
  Text statusText = "untouched-st";
  Bytes responseBytes = "untouched-rb";

  void Wire(WebAccessArgs& args) {
    args.cookies = &cookies;
    args.responseCookies = &responseCookies;
    args.responseHeaders = &responseHeaders;
    args.redirectLocation = &redirectLocation;
    args.statusText = &statusText;
    args.responseBytes = &responseBytes;
  }
};

class WebAccessTest : public ::testing::Test {
 protected:
  WebAccessTest() {
    args.url = "http://novel.test/book/7/?page=2";
    outs.Wire(args);
  }

  Text Run() {
    return WebAccess(fake, args, [this] { eventsAt.push_back(fake.Calls().size()); });
  }

  // The last three calls: the closes, request first.
  std::vector<Args> Closes() const {
    const std::vector<Args> closes = fake.ArgsOf(Op::kCloseHandle);
    return std::vector<Args>(closes.end() - std::min<std::size_t>(3, closes.size()), closes.end());
  }

  FakeHttpService fake;
  WebAccessArgs args;
  Outs outs;
  std::vector<std::size_t> eventsAt;  // how many service calls had been made at each event
};

TEST_F(WebAccessTest, CompleteExchangeMakesTheCallsInOrderAndFillsEveryOutArgument) {
  const Text block =
      "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nSet-Cookie: a=1; path=/\r\n"
      "Location: /book/7/\r\n\r\n";
  fake.SetHeaderBlock(block);
  fake.SetBodyChunks({"<html>", "first", "", "never read"});

  const Text result = Run();

  EXPECT_EQ(fake.Trace(),
            "CheckPlatform CrackUrl Open SetTimeouts Connect OpenRequest SetOption SetOption "
            "AddRequestHeaders SendRequest ReceiveResponse QueryDataAvailable ReadData "
            "QueryDataAvailable ReadData QueryDataAvailable QueryHeaders QueryHeaders "
            "CloseHandle CloseHandle CloseHandle");
  EXPECT_THAT(fake.ArgsOf(Op::kOpen), ElementsAre(Args{"1", ""}));
  EXPECT_THAT(fake.ArgsOf(Op::kSetTimeouts),
              ElementsAre(Args{"11", "30000", "30000", "30000", "30000"}));
  EXPECT_THAT(fake.ArgsOf(Op::kConnect), ElementsAre(Args{"11", "novel.test", "80"}));
  EXPECT_THAT(fake.ArgsOf(Op::kOpenRequest),
              ElementsAre(Args{"22", "GET", "/book/7/?page=2", "0"}));
  EXPECT_THAT(fake.ArgsOf(Op::kSetOption),
              ElementsAre(Args{"33", "31", "13056"}, Args{"33", "63", "1"}));
  EXPECT_THAT(fake.ArgsOf(Op::kAddRequestHeaders),
              ElementsAre(Args{"33", kDefaultBlock, "536870912"}));
  EXPECT_THAT(fake.ArgsOf(Op::kSendRequest), ElementsAre(Args{"33", "", "0"}));
  // Each turn's buffer is exactly the size the service reported.
  EXPECT_THAT(fake.ArgsOf(Op::kReadData), ElementsAre(Args{"33", "6"}, Args{"33", "5"}));
  EXPECT_THAT(
      fake.ArgsOf(Op::kQueryHeaders),
      ElementsAre(Args{"33", "22", "0"}, Args{"33", "22", std::to_string(block.size() + 1)}));
  EXPECT_THAT(Closes(), ElementsAre(Args{"33"}, Args{"22"}, Args{"11"}));
  EXPECT_EQ(fake.OpenHandleCount(), 0u);

  EXPECT_EQ(result, "<html>first");
  EXPECT_EQ(outs.responseBytes, "<html>first");
  EXPECT_EQ(outs.statusText, "200 OK");
  EXPECT_EQ(outs.responseHeaders, block);
  EXPECT_EQ(outs.redirectLocation, "/book/7/");
  EXPECT_EQ(outs.responseCookies, "untouched-rca=1");
  EXPECT_EQ(outs.cookies, "");

  // Five header lines (the blank one included), one for the charset search, nine stages; all of
  // them after the last header query and before the first close, none while on the network.
  const std::size_t firstClose = fake.Calls().size() - 3;
  EXPECT_EQ(eventsAt, std::vector<std::size_t>(5 + 1 + 9, firstClose));
}

TEST_F(WebAccessTest, EveryFailingStepWritesItsMessageAndEndsAsItShould) {
  struct Case {
    const char* name;
    std::function<void(FakeHttpService&, WebAccessArgs&)> script;
    std::u8string_view message;
    std::size_t events;  // window events processed before returning
    std::vector<Args> closes;
  };
  const std::vector<Args> none = {{"0"}, {"0"}, {"0"}};
  const std::vector<Args> all = {{"33"}, {"22"}, {"11"}};
  const Case cases[] = {
      {"platform", [](auto& f, auto&) { f.Fail(Op::kCheckPlatform); },
       u8"700 当前系统不支持WinHttp服务!", 0, none},
      {"address", [](auto& f, auto&) { f.Fail(Op::kCrackUrl); }, u8"701 解析URL地址失败!", 1, none},
      {"other scheme", [](auto&, auto& a) { a.url = "ftp://novel.test/a"; },
       u8"701 解析URL地址失败!", 1, none},
      {"session", [](auto& f, auto&) { f.Fail(Op::kOpen); }, u8"702 创建WinHttp会话失败!", 2, none},
      {"time-outs",
       [](auto& f, auto&) { f.Fail(Op::kSetTimeouts); },
       u8"705 设置超时时间失败!",
       3,
       {{"0"}, {"0"}, {"11"}}},
      {"connection",
       [](auto& f, auto&) { f.Fail(Op::kConnect); },
       u8"703 创建WinHttp连接失败!",
       4,
       {{"0"}, {"0"}, {"11"}}},
      {"request",
       [](auto& f, auto&) { f.Fail(Op::kOpenRequest); },
       u8"704 创建WinHttp请求失败!",
       5,
       {{"0"}, {"22"}, {"11"}}},
      {"server credentials",
       [](auto& f, auto& a) {
         a.userName = "reader";
         a.password = "secret";
         f.FailCredentials(http::kAuthTargetServer);
       },
       u8"707 设置代理凭证失败!", 0, all},
      {"proxy credentials",
       [](auto& f, auto& a) {
         a.proxyUserName = "reader";
         a.proxyPassword = "secret";
         f.FailCredentials(http::kAuthTargetProxy);
       },
       u8"707 设置代理凭证失败!", 0, all},
      {"security flags", [](auto& f, auto&) { f.FailOption(http::kOptionSecurityFlags); },
       u8"忽略错误/证书错误  失败！", 0, all},
      {"cookies off", [](auto& f, auto&) { f.FailOption(http::kOptionDisableFeature); },
       u8"708 禁止自动设置Cookies失败!", 0, all},
      {"cookies given",
       [](auto& f, auto& a) {
         *a.cookies = "a=0";
         f.FailOption(http::kOptionEnableFeature);
       },
       u8"708 禁止自动设置Cookies失败!", 0, all},
      {"redirects",
       [](auto& f, auto& a) {
         *a.cookies = "a=0";  // the cookie step then uses the other option
         a.disableRedirects = true;
         f.FailOption(http::kOptionDisableFeature);
       },
       u8"709 重定向设置失败!", 0, all},
      {"header block", [](auto& f, auto&) { f.Fail(Op::kAddRequestHeaders); },
       u8"710 设置协议头失败!", 6, all},
      {"send", [](auto& f, auto&) { f.Fail(Op::kSendRequest); }, u8"711 发送请求失败!", 7, all},
      {"receive", [](auto& f, auto&) { f.Fail(Op::kReceiveResponse); }, u8"712 服务器未响应!", 8,
       all},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHttpService fake;
    Outs outs;
    WebAccessArgs args;
    args.url = "http://novel.test/a";
    outs.Wire(args);
    c.script(fake, args);
    const Text cookiesBefore = outs.cookies;
    int events = 0;

    const Text result = WebAccess(fake, args, [&] { ++events; });

    EXPECT_EQ(result, "");
    EXPECT_EQ(outs.statusText, Gbk(c.message));
    EXPECT_EQ(events, static_cast<int>(c.events));
    const std::vector<Args> closes = fake.ArgsOf(Op::kCloseHandle);
    EXPECT_EQ(closes, c.closes);
    EXPECT_EQ(fake.Calls().back().op, Op::kCloseHandle);
    EXPECT_EQ(fake.OpenHandleCount(), 0u);
    EXPECT_EQ(fake.ArgsOf(Op::kQueryDataAvailable).size(), 0u);
    EXPECT_EQ(outs.cookies, cookiesBefore);
    EXPECT_EQ(outs.responseCookies, "untouched-rc");
    EXPECT_EQ(outs.responseHeaders, "untouched-rh");
    EXPECT_EQ(outs.redirectLocation, "untouched-rl");
    EXPECT_EQ(outs.responseBytes, "untouched-rb");
  }
}

TEST_F(WebAccessTest, ReadAndHeaderFailuresKeepWhatArrived) {
  static const Text k713 = Gbk(u8"713 读取数据失败!");
  const Text block = "HTTP/1.1 206 Partial\r\nLocation: /x\r\n\r\n";
  struct Case {
    const char* name;
    std::function<void(FakeHttpService&)> script;
    bool blockRead;
    Text result;
    Text statusText;
  };
  const Case cases[] = {
      // The status replaces message 713 once the header block can be read.
      {"read fails after a chunk", [](auto& f) { f.FailReadAt(1); }, true, "part one",
       "206 Partial"},
      {"query fails after a chunk", [](auto& f) { f.FailQueryDataAt(1); }, true, "part one",
       "206 Partial"},
      {"read fails, block unreadable",
       [](auto& f) {
         f.FailReadAt(1);
         f.FailHeaderFill();
       },
       false, "", k713},
      {"block unreadable although the body came", [](auto& f) { f.FailHeaderFill(); }, false, "",
       "untouched-st"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHttpService fake;
    fake.SetHeaderBlock(block);
    fake.SetBodyChunks({"part one", "part two"});
    c.script(fake);
    Outs outs;
    WebAccessArgs args;
    args.url = "http://novel.test/a";
    outs.Wire(args);
    int events = 0;

    EXPECT_EQ(WebAccess(fake, args, [&] { ++events; }), c.result);

    EXPECT_EQ(outs.statusText, c.statusText);
    EXPECT_EQ(outs.responseBytes, c.blockRead ? c.result : "untouched-rb");
    EXPECT_EQ(outs.responseHeaders, c.blockRead ? block : "untouched-rh");
    EXPECT_EQ(outs.redirectLocation, c.blockRead ? "/x" : "untouched-rl");
    EXPECT_EQ(outs.responseCookies, "untouched-rc");
    // Three header lines and the charset search when the block was read; the nine stages always.
    EXPECT_EQ(events, c.blockRead ? 3 + 1 + 9 : 9);
  }
}

TEST_F(WebAccessTest, AddressPartsBecomeHostPortObjectNameAndSecureFlag) {
  struct Case {
    const char* name;
    UrlComponents components;
    Args connect;
    Args openRequest;
  };
  const Case cases[] = {
      {"no path, no query",
       {http::kSchemeHttp, "a.test", 80, "", ""},
       {"11", "a.test", "80"},
       {"22", "GET", "/", "0"}},
      // The query survives an empty path.
      {"no path, a query",
       {http::kSchemeHttp, "a.test", 80, "", "?k=v"},
       {"11", "a.test", "80"},
       {"22", "GET", "/?k=v", "0"}},
      {"path and query",
       {http::kSchemeHttps, "b.test", 8443, "/a", "?x=1"},
       {"11", "b.test", "8443"},
       {"22", "GET", "/a?x=1", "8388608"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHttpService fake;
    fake.SetUrlComponents(c.components);
    WebAccessArgs args;
    args.url = "whatever the service says";
    WebAccess(fake, args);
    EXPECT_THAT(fake.ArgsOf(Op::kConnect), ElementsAre(c.connect));
    EXPECT_THAT(fake.ArgsOf(Op::kOpenRequest), ElementsAre(c.openRequest));
  }
}

TEST_F(WebAccessTest, MethodTimeOutAndProxyArguments) {
  struct Case {
    const char* name;
    std::function<void(WebAccessArgs&)> set;
    Op op;
    std::size_t argument;  // which argument of the call to look at
    const char* expected;
  };
  const Case cases[] = {
      {"GET", [](auto& a) { a.method = 0; }, Op::kOpenRequest, 1, "GET"},
      {"POST", [](auto& a) { a.method = 1; }, Op::kOpenRequest, 1, "POST"},
      {"HEAD", [](auto& a) { a.method = 2; }, Op::kOpenRequest, 1, "HEAD"},
      {"PUT", [](auto& a) { a.method = 3; }, Op::kOpenRequest, 1, "PUT"},
      {"OPTIONS", [](auto& a) { a.method = 4; }, Op::kOpenRequest, 1, "OPTIONS"},
      {"DELETE", [](auto& a) { a.method = 5; }, Op::kOpenRequest, 1, "DELETE"},
      {"TRACE", [](auto& a) { a.method = 6; }, Op::kOpenRequest, 1, "TRACE"},
      {"CONNECT", [](auto& a) { a.method = 7; }, Op::kOpenRequest, 1, "CONNECT"},
      {"8 is GET", [](auto& a) { a.method = 8; }, Op::kOpenRequest, 1, "GET"},
      {"-1 is GET", [](auto& a) { a.method = -1; }, Op::kOpenRequest, 1, "GET"},
      {"time-out 0", [](auto& a) { a.timeoutSeconds = 0; }, Op::kSetTimeouts, 4, "30000"},
      {"time-out negative", [](auto& a) { a.timeoutSeconds = -5; }, Op::kSetTimeouts, 4, "30000"},
      {"time-out 10", [](auto& a) { a.timeoutSeconds = 10; }, Op::kSetTimeouts, 1, "10000"},
      {"time-out past int milliseconds", [](auto& a) { a.timeoutSeconds = INT_MAX; },
       Op::kSetTimeouts, 2, "2147483647"},
      {"proxy for https",
       [](auto& a) {
         a.url = "https://s.test/";
         a.proxy = "p.test:8080";
       },
       Op::kOpen, 1, "p.test:8080"},
      {"proxy for http",
       [](auto& a) {
         a.url = "http://s.test/";
         a.proxy = "p.test:8080";
       },
       Op::kOpen, 1, "http=p.test:8080"},
      {"proxy access type", [](auto& a) { a.proxy = "p.test:8080"; }, Op::kOpen, 0, "3"},
      {"no proxy", [](auto&) {}, Op::kOpen, 0, "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHttpService fake;
    WebAccessArgs args;
    args.url = "http://novel.test/";
    c.set(args);
    WebAccess(fake, args);
    const std::vector<Args> calls = fake.ArgsOf(c.op);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].at(c.argument), c.expected);
  }
}

TEST_F(WebAccessTest, CredentialsAreSetOnlyWhenNameAndPasswordAreBothGiven) {
  args.userName = "reader";  // no password: nothing set, no message
  args.proxyUserName = "proxy-reader";
  args.proxyPassword = "proxy-secret";
  Run();
  EXPECT_THAT(fake.ArgsOf(Op::kSetCredentials),
              ElementsAre(Args{"33", "1", "1", "proxy-reader", "proxy-secret"}));
  EXPECT_EQ(outs.statusText, "200 OK");

  FakeHttpService both;
  args.password = "secret";
  WebAccess(both, args);
  EXPECT_THAT(both.ArgsOf(Op::kSetCredentials),
              ElementsAre(Args{"33", "0", "1", "reader", "secret"},
                          Args{"33", "1", "1", "proxy-reader", "proxy-secret"}));
}

TEST_F(WebAccessTest, RedirectSwitchAndBodyChoice) {
  args.disableRedirects = true;
  args.method = 1;
  args.bodyText = "from text";
  args.bodyBytes = Bytes("by\0tes", 6);
  Run();
  EXPECT_THAT(fake.ArgsOf(Op::kSetOption),
              ElementsAre(Args{"33", "31", "13056"}, Args{"33", "63", "1"}, Args{"33", "63", "2"}));
  EXPECT_THAT(fake.ArgsOf(Op::kSendRequest), ElementsAre(Args{"33", Bytes("by\0tes", 6), "6"}));
  EXPECT_THAT(fake.ArgsOf(Op::kAddRequestHeaders)[0][1],
              HasSubstr("Content-Type: application/x-www-form-urlencoded"));

  FakeHttpService textOnly;
  args.bodyBytes.clear();
  WebAccess(textOnly, args);
  EXPECT_THAT(textOnly.ArgsOf(Op::kSendRequest), ElementsAre(Args{"33", "from text", "9"}));
}

TEST_F(WebAccessTest, CookiesAreSentCollectedAndMerged) {
  struct Case {
    const char* name;
    const char* sent;
    const char* collectedBefore;
    std::optional<bool> merge;
    const char* cookiesAfter;
    const char* responseCookiesAfter;
  };
  const Case cases[] = {
      {"merged by default", "a=0; c=3", "", std::nullopt, "a=1; b=2; c=3", "a=1; b=2; c=3"},
      {"merge switched off", "a=0; c=3", "", false, "a=0; c=3", "a=1; b=2"},
      {"nothing sent", "", "", std::nullopt, "", "a=1; b=2"},
      {"appended to the caller's text", "", "x=9; ", std::nullopt, "", "x=9; a=1; b=2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHttpService fake;
    fake.SetHeaderBlock(
        "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nset-cookie: z=0\r\nSet-Cookie: b=2\r\n\r\n");
    Outs outs;
    outs.cookies = c.sent;
    outs.responseCookies = c.collectedBefore;
    WebAccessArgs args;
    args.url = "http://novel.test/";
    args.mergeCookies = c.merge;
    outs.Wire(args);
    WebAccess(fake, args);
    EXPECT_EQ(outs.cookies, c.cookiesAfter);
    EXPECT_EQ(outs.responseCookies, c.responseCookiesAfter);
    const std::string block = fake.ArgsOf(Op::kAddRequestHeaders).at(0).at(1);
    if (*c.sent) {
      EXPECT_THAT(block, HasSubstr(std::string("\r\nCookie: ") + c.sent));
      EXPECT_EQ(fake.ArgsOf(Op::kSetOption).at(1), (Args{"33", "79", "1"}));
    } else {
      EXPECT_THAT(block, ::testing::Not(HasSubstr("Cookie")));
    }
  }
}

TEST_F(WebAccessTest, StatusLineAndLocationLines) {
  struct Case {
    const char* name;
    const char* block;
    const char* statusText;
    const char* redirectLocation;
  };
  const Case cases[] = {
      {"error status is no failure", "HTTP/1.1 404 Not Found\r\n\r\n", "404 Not Found",
       "untouched-rl"},
      {"small letters", "HTTP/1.1 302 Found\r\nlocation: /b\r\n\r\n", "302 Found", "/b"},
      {"no blank after the colon", "HTTP/1.1 302 Found\r\nLocation:/b\r\n\r\n", "302 Found",
       "untouched-rl"},
      {"the later line wins", "HTTP/1.1 301 Moved\r\nLocation: /1\r\nLocation: /2\r\n\r\n",
       "301 Moved", "/2"},
      {"empty value", "HTTP/1.1 301 Moved\r\nLocation: \r\n\r\n", "301 Moved", ""},
      {"status line without CR LF", "HTTP/1.0 200 Fine", "200 Fine", "untouched-rl"},
      {"status line too short", "HTTP/1.1", "", "untouched-rl"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHttpService fake;
    fake.SetHeaderBlock(c.block);
    fake.SetBodyChunks({"page"});
    Outs outs;
    WebAccessArgs args;
    args.url = "http://novel.test/";
    outs.Wire(args);
    EXPECT_EQ(WebAccess(fake, args), "page");
    EXPECT_EQ(outs.statusText, c.statusText);
    EXPECT_EQ(outs.redirectLocation, c.redirectLocation);
    EXPECT_EQ(outs.responseHeaders, c.block);
  }
}

TEST_F(WebAccessTest, BodyDeclaringUtf8IsReturnedAsGbk) {
  const std::string page =
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
      "</head><body>" +
      std::string(reinterpret_cast<const char*>(u8"第一章 山雨欲来")) + "</body></html>";
  fake.SetBodyChunks({page.substr(0, 40), page.substr(40)});
  const Text result = Run();
  EXPECT_THAT(result, HasSubstr(Gbk(u8"第一章 山雨欲来")));
  EXPECT_EQ(outs.responseBytes, page);
}

TEST_F(WebAccessTest, ATurnIsNeverLargerThanOneMebibyte) {
  const Bytes big(3 * 1024 * 1024 + 5, 'x');
  fake.SetBodyChunks({big});
  args.responseBytes = nullptr;
  EXPECT_EQ(Run().size(), big.size());
  EXPECT_THAT(fake.ArgsOf(Op::kReadData), ElementsAre(Args{"33", "1048576"}, Args{"33", "1048576"},
                                                      Args{"33", "1048576"}, Args{"33", "5"}));
}

TEST_F(WebAccessTest, OmittedOutArgumentsAndEventFunctionAreFine) {
  fake.SetHeaderBlock("HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nLocation: /x\r\n\r\n");
  fake.SetBodyChunks({"text"});
  WebAccessArgs bare;
  bare.url = "http://novel.test/";
  EXPECT_EQ(WebAccess(fake, bare), "text");
}

}  // namespace
}  // namespace tevrin
