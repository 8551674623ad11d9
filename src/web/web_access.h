#pragma once

// One HTTP or HTTPS request over an HttpService, with the body returned as GBK text.
// Failures are numbered messages (700 to 713 and the certificate message) written into
// `statusText`; the result is then empty text. web/ knows nothing of a window: the caller says
// how pending window events are processed.

#include <optional>

#include "text/text.h"
#include "web/http_service.h"
#include "web/process_events.h"

namespace tevrin {

/// The twenty-one arguments, in their order. In-arguments are read only. Out-arguments are
/// pointers: null means omitted; a given one is written only by the step named for it and
/// otherwise keeps the caller's value. Methods: 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS,
/// 5 DELETE, 6 TRACE, 7 CONNECT; any other value GET.
struct WebAccessArgs {
  Text url;                                  // 1: http or https
  int method = 0;                            // 2: see above
  Text bodyText;                             // 3
  Text* cookies = nullptr;                   // 4: in/out
  Text* responseCookies = nullptr;           // 5: out, appended to
  Text requestHeaders;                       // 6: lines separated by CR LF
  Text* responseHeaders = nullptr;           // 7: out
  bool disableRedirects = false;             // 8
  Text userName;                             // 9
  Text password;                             // 10
  Text proxy;                                // 11: host:port
  Text proxyUserName;                        // 12
  Text proxyPassword;                        // 13
  int timeoutSeconds = 0;                    // 14: per phase; 0 or less means 30
  Text* redirectLocation = nullptr;          // 15: out
  Text* statusText = nullptr;                // 16: out
  Bytes* responseBytes = nullptr;            // 17: out
  std::optional<bool> mergeCookies;          // 18: omitted means true
  std::optional<bool> completeHeaders;       // 19: omitted means true
  Bytes bodyBytes;                           // 20: sent instead of bodyText when not empty
  std::optional<bool> normaliseHeaderNames;  // 21: omitted means true
};

/// Runs one exchange on the calling thread with its own session, connection and request, all
/// closed before returning. Window events are processed only after the response headers (once
/// per header line), once by the charset search, and once per stage that succeeded; never while
/// on the network. An address with a query but no path keeps its query; only http and https are
/// fetched. A response with an error status is no failure: its body is returned.
Text WebAccess(HttpService& http, const WebAccessArgs& args,
               const ProcessEventsFn& processEvents = {});

}  // namespace tevrin
