#include "web/web_access.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "text/code_page.h"
#include "text/regex_object.h"
#include "web/cookies.h"
#include "web/request_headers.h"
#include "web/response_decoding.h"

namespace tevrin {

namespace {

// A service that claims more than this many ready bytes is read in turns of this size; what it
// reported stays readable in the next turn.
constexpr std::size_t kLargestReadTurn = std::size_t{1} << 20;
// The same guard for the header block a service asks a buffer for.
constexpr std::size_t kLargestHeaderBlock = std::size_t{16} << 20;

const Text& Verb(int method) {
  static const Text kVerbs[] = {"GET",     "POST",   "HEAD",  "PUT",
                                "OPTIONS", "DELETE", "TRACE", "CONNECT"};
  return method >= 0 && method < 8 ? kVerbs[method] : kVerbs[0];
}

int TimeoutMs(int timeoutSeconds) {
  if (timeoutSeconds <= 0) return 30000;
  // Seconds beyond what fits in milliseconds mean "as long as can be said".
  return timeoutSeconds > INT_MAX / 1000 ? INT_MAX : timeoutSeconds * 1000;
}

// The handles of one exchange, closed request first, as they were opened in reverse.
struct Handles {
  HttpService& http;
  HttpHandle session = kNoHandle;
  HttpHandle connection = kNoHandle;
  HttpHandle request = kNoHandle;

  void CloseAll() {
    http.CloseHandle(request);
    http.CloseHandle(connection);
    http.CloseHandle(session);
  }
};

}  // namespace

Text WebAccess(HttpService& http, const WebAccessArgs& args, const ProcessEventsFn& processEvents) {
  static const Text kNoPlatform = Gbk(u8"700 当前系统不支持WinHttp服务!");
  static const Text kBadUrl = Gbk(u8"701 解析URL地址失败!");
  static const Text kNoSession = Gbk(u8"702 创建WinHttp会话失败!");
  static const Text kNoConnection = Gbk(u8"703 创建WinHttp连接失败!");
  static const Text kNoRequest = Gbk(u8"704 创建WinHttp请求失败!");
  static const Text kNoTimeouts = Gbk(u8"705 设置超时时间失败!");
  static const Text kNoCredentials = Gbk(u8"707 设置代理凭证失败!");
  static const Text kNoCookieSwitch = Gbk(u8"708 禁止自动设置Cookies失败!");
  static const Text kNoRedirectSwitch = Gbk(u8"709 重定向设置失败!");
  static const Text kHeadersRefused = Gbk(u8"710 设置协议头失败!");
  static const Text kSendFailed = Gbk(u8"711 发送请求失败!");
  static const Text kNoResponse = Gbk(u8"712 服务器未响应!");
  static const Text kReadFailed = Gbk(u8"713 读取数据失败!");
  static const Text kNoSecurityFlags = Gbk(u8"忽略错误/证书错误  失败！");

  RegexObject regex;
  const bool mergeCookies = args.mergeCookies.value_or(true);
  const bool completeHeaders = args.completeHeaders.value_or(true);
  const bool normaliseHeaderNames = args.normaliseHeaderNames.value_or(true);
  Text cookies = args.cookies ? *args.cookies : Text();
  Text responseCookies = args.responseCookies ? *args.responseCookies : Text();

  auto report = [&](const Text& message) {
    if (args.statusText) *args.statusText = message;
  };
  Handles handles{http};
  int stagesDone = 0;
  Text result;

  // Steps 8 to 12 end at once: their failures skip the event processing of the common exit.
  auto stop = [&](const Text& message) {
    report(message);
    handles.CloseAll();
    return Text();
  };

  // The stages up to the body; each failure leaves the loop for the common exit.
  do {
    if (!http.CheckPlatform()) {
      report(kNoPlatform);
      break;
    }
    ++stagesDone;

    UrlComponents url;
    if (!http.CrackUrl(args.url, url) ||
        (url.scheme != http::kSchemeHttp && url.scheme != http::kSchemeHttps)) {
      report(kBadUrl);
      break;
    }
    ++stagesDone;
    const bool secure = url.scheme == http::kSchemeHttps;
    // An address with a query but no path keeps its query.
    const Text objectName = (url.path.empty() ? Text("/") : url.path) + url.extraInfo;

    const bool viaProxy = !args.proxy.empty();
    handles.session = http.Open(viaProxy ? http::kAccessTypeNamedProxy : http::kAccessTypeNoProxy,
                                viaProxy ? (secure ? args.proxy : "http=" + args.proxy) : Text());
    if (handles.session == kNoHandle) {
      report(kNoSession);
      break;
    }
    ++stagesDone;

    const int timeoutMs = TimeoutMs(args.timeoutSeconds);
    if (!http.SetTimeouts(handles.session, timeoutMs, timeoutMs, timeoutMs, timeoutMs)) {
      report(kNoTimeouts);
      break;
    }
    ++stagesDone;

    handles.connection = http.Connect(handles.session, url.hostName, url.port);
    if (handles.connection == kNoHandle) {
      report(kNoConnection);
      break;
    }
    ++stagesDone;

    handles.request = http.OpenRequest(handles.connection, Verb(args.method), objectName,
                                       secure ? http::kFlagSecure : 0);
    if (handles.request == kNoHandle) {
      report(kNoRequest);
      break;
    }
    ++stagesDone;

    if (!args.userName.empty() && !args.password.empty() &&
        !http.SetCredentials(handles.request, http::kAuthTargetServer, http::kAuthSchemeBasic,
                             args.userName, args.password)) {
      return stop(kNoCredentials);
    }
    if (!args.proxyUserName.empty() && !args.proxyPassword.empty() &&
        !http.SetCredentials(handles.request, http::kAuthTargetProxy, http::kAuthSchemeBasic,
                             args.proxyUserName, args.proxyPassword)) {
      return stop(kNoCredentials);
    }
    constexpr std::uint32_t kIgnoredCertificateErrors =
        http::kSecurityIgnoreUnknownCa | http::kSecurityIgnoreCertWrongUsage |
        http::kSecurityIgnoreCertCnInvalid | http::kSecurityIgnoreCertDateInvalid;
    if (!http.SetOption(handles.request, http::kOptionSecurityFlags, kIgnoredCertificateErrors)) {
      return stop(kNoSecurityFlags);
    }
    const bool cookieSwitchSet =
        cookies.empty()
            ? http.SetOption(handles.request, http::kOptionDisableFeature, http::kDisableCookies)
            : http.SetOption(handles.request, http::kOptionEnableFeature,
                             http::kEnableSslRevocation);
    if (!cookieSwitchSet) return stop(kNoCookieSwitch);
    if (args.disableRedirects &&
        !http.SetOption(handles.request, http::kOptionDisableFeature, http::kDisableRedirects)) {
      return stop(kNoRedirectSwitch);
    }

    const Text headerBlock = ComposeRequestHeaders(args.requestHeaders, args.method, cookies,
                                                   completeHeaders, normaliseHeaderNames);
    if (!http.AddRequestHeaders(handles.request, headerBlock, http::kAddRequestFlagAdd)) {
      report(kHeadersRefused);
      break;
    }
    ++stagesDone;

    const Bytes& body = args.bodyBytes.empty() ? args.bodyText : args.bodyBytes;
    if (!http.SendRequest(handles.request, body, body.size())) {
      report(kSendFailed);
      break;
    }
    ++stagesDone;

    if (!http.ReceiveResponse(handles.request)) {
      report(kNoResponse);
      break;
    }
    ++stagesDone;

    // No window events are processed while the body comes in.
    // Each turn reads straight onto the end of the body: a page is not copied once more per turn
    // through a buffer of its own.
    Bytes received;
    for (;;) {
      std::size_t available = 0;
      if (!http.QueryDataAvailable(handles.request, available) || available < 1) break;
      const std::size_t turn = std::min(available, kLargestReadTurn);
      const std::size_t filled = received.size();
      received.resize(filled + turn);
      std::size_t read = 0;
      const bool readOk = http.ReadData(handles.request, received.data() + filled, turn, read);
      received.resize(filled + (readOk ? std::min(read, turn) : 0));
      if (!readOk) {
        report(kReadFailed);
        break;
      }
    }

    std::size_t blockSize = 0;
    http.QueryHeaders(handles.request, http::kQueryRawHeadersCrlf, nullptr, blockSize);
    std::string blockBuffer(std::min(blockSize, kLargestHeaderBlock), '\0');
    blockSize = blockBuffer.size();
    if (!http.QueryHeaders(handles.request, http::kQueryRawHeadersCrlf, blockBuffer.data(),
                           blockSize)) {
      break;
    }
    const Text block(blockBuffer.c_str());
    if (args.responseHeaders) *args.responseHeaders = block;

    // "HTTP/1.1 " is 9 bytes: the status code and reason phrase start at byte 10.
    const long long lineEnd = Find(block, "\r\n", 10);
    report(Middle(block, 10, lineEnd < 0 ? -1 : lineEnd - 10));

    for (const Text& line : Split(block, "\r\n")) {
      CollectCookie(line, responseCookies);
      if (EqualsIgnoreCase(Left(line, 10), "Location: ") && args.redirectLocation) {
        *args.redirectLocation = Middle(line, 11);
      }
      if (processEvents) processEvents();
    }

    const bool merging = mergeCookies && !cookies.empty();
    TidyAndMergeCookies(cookies, responseCookies, mergeCookies);
    if (args.responseCookies) *args.responseCookies = responseCookies;
    if (merging && args.cookies) *args.cookies = cookies;

    if (args.responseBytes) *args.responseBytes = received;
    result = DecodeResponse(std::move(received), regex, processEvents);
  } while (false);

  for (int stage = 0; stage < stagesDone && processEvents; ++stage) processEvents();
  handles.CloseAll();
  return result;
}

}  // namespace tevrin
