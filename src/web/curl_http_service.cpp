#include "web/curl_http_service.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/code_page.h"
#include "text/text.h"

namespace tevrin {

struct CurlHttpService::Object {
  virtual ~Object() = default;
};

namespace {

using Clock = std::chrono::steady_clock;

// Guards against a server that sends header lines without end; the block is held whole.
constexpr std::size_t kHeaderBlockCap = std::size_t{1} << 20;
constexpr long kMaxRedirects = 10;
constexpr int kLongestPollMs = 1000;

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

std::string_view Strip(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// 0 and -1 mean "no limit" to the platform service.
long long Limit(int ms) {
  return ms > 0 ? ms : 0;
}

struct Session final : CurlHttpService::Object {
  int accessType = http::kAccessTypeNoProxy;
  Text proxyList;
  long long resolveMs = 0;
  long long connectMs = 0;
  long long sendMs = 0;
  long long receiveMs = 0;
};

struct Connection final : CurlHttpService::Object {
  std::shared_ptr<const Session> session;
  Text hostName;
  int port = 0;
};

// The proxy for `scheme` ("http" or "https") out of a proxy list, as a curl proxy address;
// empty when the list names none for it.
std::string ProxyFor(const Text& proxyList, std::string_view scheme) {
  std::string fallback;
  std::size_t at = 0;
  while (at < proxyList.size()) {
    const std::size_t end = proxyList.find_first_of("; \t", at);
    const std::string_view entry =
        std::string_view(proxyList).substr(at, end == std::string::npos ? end : end - at);
    at = end == std::string::npos ? proxyList.size() : end + 1;
    if (entry.empty()) continue;
    std::string_view server = entry;
    const std::size_t equals = entry.find('=');
    if (equals != std::string_view::npos) {
      if (!EqualsIgnoreCase(entry.substr(0, equals), scheme)) continue;
      server = entry.substr(equals + 1);
    } else if (!fallback.empty()) {
      continue;
    }
    std::string address(server);
    const std::size_t afterScheme = address.find("://");
    const std::size_t hostStart = afterScheme == std::string::npos ? 0 : afterScheme + 3;
    const std::size_t bracket = address.rfind(']');
    const std::size_t colon = address.find(':', bracket == std::string::npos ? hostStart : bracket);
    // The platform service's proxies listen on 80 unless told otherwise; curl's default is 1080.
    if (colon == std::string::npos) address += ":80";
    if (afterScheme == std::string::npos) address = "http://" + address;
    if (equals != std::string_view::npos) return address;
    fallback = address;
  }
  return fallback;
}

// The request target as it goes on the wire: characters that may not stand in a request line
// are percent-encoded, and non-ASCII text (GBK here) is sent as UTF-8.
std::string WireTarget(const Text& objectName) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string target;
  if (objectName.empty() || objectName.front() != '/') target += '/';
  auto escape = [&](unsigned char byte) {
    target += '%';
    target += kHex[byte >> 4];
    target += kHex[byte & 15];
  };
  for (std::size_t i = 0; i < objectName.size();) {
    const unsigned char byte = static_cast<unsigned char>(objectName[i]);
    if (byte >= 0x80) {
      std::size_t end = i;
      while (end < objectName.size() && static_cast<unsigned char>(objectName[end]) >= 0x80) {
        ++end;
      }
      for (const char c : GbkToUtf8(std::string_view(objectName).substr(i, end - i))) {
        escape(static_cast<unsigned char>(c));
      }
      i = end;
      continue;
    }
    if (byte <= 0x20 || byte == 0x7F || byte == '#') {
      escape(byte);
    } else {
      target += static_cast<char>(byte);
    }
    ++i;
  }
  return target;
}

std::string WireHost(const Text& hostName) {
  const bool ascii = std::all_of(hostName.begin(), hostName.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  std::string host = ascii ? hostName : GbkToUtf8(hostName);
  if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";
  return host;
}

// Codes curl gives for what goes wrong before the request is out: resolving, connecting, the
// TLS handshake, sending. curl's own time-out is only the connect clock here.
bool IsSendFailure(CURLcode code) {
  switch (code) {
    case CURLE_FAILED_INIT:
    case CURLE_URL_MALFORMAT:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OUT_OF_MEMORY:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_BAD_FUNCTION_ARGUMENT:
    case CURLE_SEND_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
      return true;
    default:
      return false;
  }
}

int StatusCode(std::string_view statusLine) {
  const std::size_t space = statusLine.find(' ');
  if (space == std::string_view::npos) return 0;
  int code = 0;
  for (std::size_t i = space + 1; i < statusLine.size() && i < space + 4; ++i) {
    if (statusLine[i] < '0' || statusLine[i] > '9') return 0;
    code = code * 10 + (statusLine[i] - '0');
  }
  return code;
}

struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

bool Append(Slist& list, const std::string& line) {
  curl_slist* grown = curl_slist_append(list.get(), line.c_str());
  if (!grown) return false;
  list.release();
  list.reset(grown);
  return true;
}

class Request final : public CurlHttpService::Object {
 public:
  Request(std::shared_ptr<const Connection> connection, Text verb, Text objectName, bool secure,
          std::size_t bodyCap)
      : connection_(std::move(connection)),
        verb_(std::move(verb)),
        objectName_(std::move(objectName)),
        secure_(secure),
        bodyCap_(bodyCap) {}

  ~Request() override {
    if (multi_ && easy_) curl_multi_remove_handle(multi_, easy_);
    if (easy_) curl_easy_cleanup(easy_);
    if (multi_) curl_multi_cleanup(multi_);
  }

  bool SetCredentials(int target, int scheme, const Text& userName, const Text& password) {
    if (started_ || scheme != http::kAuthSchemeBasic) return false;
    if (target == http::kAuthTargetServer) {
      server_ = {userName, password};
    } else if (target == http::kAuthTargetProxy) {
      proxy_ = {userName, password};
    } else {
      return false;
    }
    return true;
  }

  bool SetOption(int option, std::uint32_t value) {
    if (started_) return false;
    switch (option) {
      case http::kOptionSecurityFlags:
        securityFlags_ = value;
        return true;
      case http::kOptionDisableFeature:
        if (value & http::kDisableCookies) cookiesOff_ = true;
        if (value & http::kDisableRedirects) redirectsOff_ = true;
        return true;
      case http::kOptionEnableFeature:
        // Revocation checking has no counterpart in curl over OpenSSL; it is accepted and the
        // handshake stays as the security flags make it.
        return true;
      default:
        return false;
    }
  }

  bool AddHeaders(const Text& block) {
    if (started_) return false;
    // Split byte by byte, as the wire sees it: a CR LF after a GBK lead byte still ends a line.
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < block.size();) {
      std::size_t end = block.find("\r\n", at);
      if (end == std::string::npos) end = block.size();
      const std::string line = block.substr(at, end - at);
      at = end + 2;
      if (line.empty()) continue;
      const std::size_t colon = line.find(':');
      if (colon == 0 || colon == std::string::npos ||
          line.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
        return false;
      }
      lines.push_back(line);
    }
    headerLines_.insert(headerLines_.end(), lines.begin(), lines.end());
    return true;
  }

  bool Send(std::string_view body) {
    if (started_) return false;
    started_ = true;
    if (!Start(body)) {
      done_ = true;
      result_ = CURLE_FAILED_INIT;
      failure_ = Failure::kSend;
      return false;
    }
    Drive([this] { return sawResponse_ || (connected_ && UploadDone()); });
    return failure_ != Failure::kSend;
  }

  bool Receive() {
    if (!started_ || failure_ == Failure::kSend) return false;
    Drive([this] { return headersFinal_; });
    return headersFinal_;
  }

  bool Available(std::size_t& available) {
    if (!headersFinal_) return false;
    Drive([this] { return Buffered() > 0; });
    available = Buffered();
    return available > 0 || result_ == CURLE_OK;
  }

  bool Read(char* buffer, std::size_t size, std::size_t& read) {
    read = 0;
    if (!headersFinal_ || (size > 0 && !buffer)) return false;
    if (size == 0) return true;
    Drive([this] { return Buffered() > 0; });
    read = std::min(size, Buffered());
    if (read > 0) {
      std::memcpy(buffer, body_.data() + bodyOffset_, read);
      bodyOffset_ += read;
      if (bodyOffset_ == body_.size()) {
        body_.clear();
        bodyOffset_ = 0;
      } else if (bodyOffset_ > body_.size() / 2) {
        body_.erase(0, bodyOffset_);
        bodyOffset_ = 0;
      }
      return true;
    }
    return result_ == CURLE_OK;
  }

  bool Headers(char* buffer, std::size_t& size) const {
    if (!headersFinal_) return false;
    const std::size_t needed = block_.size() + 1;
    if (!buffer || size < needed) {
      size = needed;
      return false;
    }
    std::memcpy(buffer, block_.data(), block_.size());
    buffer[block_.size()] = '\0';
    size = block_.size();
    return true;
  }

 private:
  enum class Failure { kNone, kSend, kReceive, kRead };

  struct Credentials {
    Text userName;
    Text password;
  };

  std::size_t Buffered() const { return body_.size() - bodyOffset_; }
  bool UploadDone() const { return uploadDone_; }

  bool Start(std::string_view body) {
    const Session& session = *connection_->session;
    easy_ = curl_easy_init();
    multi_ = curl_multi_init();
    if (!easy_ || !multi_) return false;

    requestBody_.assign(body);
    uploadDone_ = requestBody_.empty();
    const std::string scheme = secure_ ? "https" : "http";
    const std::string url = scheme + "://" + WireHost(connection_->hostName) + ":" +
                            std::to_string(connection_->port) + WireTarget(objectName_);
    const std::string proxy = session.accessType == http::kAccessTypeNamedProxy
                                  ? ProxyFor(session.proxyList, scheme)
                                  : std::string();

    if (!BuildHeaderLists()) return false;

    bool ok = true;
    auto set = [&](CURLoption option, auto value) {
      ok = ok && curl_easy_setopt(easy_, option, value) == CURLE_OK;
    };
    set(CURLOPT_URL, url.c_str());
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    set(CURLOPT_REDIR_PROTOCOLS_STR, secure_ ? "https" : "http,https");
    set(CURLOPT_FOLLOWLOCATION, redirectsOff_ ? 0L : 1L);
    set(CURLOPT_MAXREDIRS, kMaxRedirects);
    set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_PATH_AS_IS, 1L);
    // An empty proxy also keeps curl from reading http_proxy and friends from the environment.
    set(CURLOPT_PROXY, proxy.c_str());
    set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    set(CURLOPT_HEADEROPT, static_cast<long>(CURLHEADER_SEPARATE));
    set(CURLOPT_HTTPHEADER, headers_.get());
    set(CURLOPT_PROXYHEADER, proxyHeaders_.get());

    const long long connectLimit = session.resolveMs + session.connectMs;
    if (connectLimit > 0) set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectLimit));

    // curl cannot relax the chain checks one by one: they go only when every kind is ignored.
    constexpr std::uint32_t kChainFlags = http::kSecurityIgnoreUnknownCa |
                                          http::kSecurityIgnoreCertWrongUsage |
                                          http::kSecurityIgnoreCertDateInvalid;
    const bool ignoreChain = (securityFlags_ & kChainFlags) == kChainFlags;
    const bool ignoreName = (securityFlags_ & http::kSecurityIgnoreCertCnInvalid) != 0;
    set(CURLOPT_SSL_VERIFYPEER, ignoreChain ? 0L : 1L);
    set(CURLOPT_SSL_VERIFYHOST, ignoreName ? 0L : 2L);

    if (!cookiesOff_) set(CURLOPT_COOKIEFILE, "");

    if (server_) {
      set(CURLOPT_HTTPAUTH, static_cast<unsigned long>(CURLAUTH_BASIC));
      set(CURLOPT_USERNAME, server_->userName.c_str());
      set(CURLOPT_PASSWORD, server_->password.c_str());
    }
    if (proxy_) {
      set(CURLOPT_PROXYAUTH, static_cast<unsigned long>(CURLAUTH_BASIC));
      set(CURLOPT_PROXYUSERNAME, proxy_->userName.c_str());
      set(CURLOPT_PROXYPASSWORD, proxy_->password.c_str());
    }

    const bool sendsBody = !requestBody_.empty() || verb_ == "POST" || verb_ == "PUT";
    if (verb_ == "HEAD") {
      set(CURLOPT_NOBODY, 1L);
    } else if (verb_ == "GET" && !sendsBody) {
      set(CURLOPT_HTTPGET, 1L);
    } else if (verb_ != "POST") {
      set(CURLOPT_CUSTOMREQUEST, verb_.c_str());
    }
    if (sendsBody && verb_ != "HEAD") {
      set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(requestBody_.size()));
      set(CURLOPT_POSTFIELDS, requestBody_.data());
    }

    set(CURLOPT_HEADERFUNCTION, &Request::OnHeader);
    set(CURLOPT_HEADERDATA, this);
    set(CURLOPT_WRITEFUNCTION, &Request::OnBody);
    set(CURLOPT_WRITEDATA, this);
    set(CURLOPT_XFERINFOFUNCTION, &Request::OnProgress);
    set(CURLOPT_XFERINFODATA, this);
    set(CURLOPT_NOPROGRESS, 0L);
    if (!ok) return false;

    follows_ = !redirectsOff_;
    sendIdleMs_ = session.sendMs;
    receiveIdleMs_ = session.receiveMs;
    return curl_multi_add_handle(multi_, easy_) == CURLM_OK;
  }

  // The added lines, plus empty entries that keep curl's own defaults off the wire where the
  // block does not replace them.
  bool BuildHeaderLists() {
    bool hasAccept = false, hasExpect = false, hasContentType = false;
    for (const std::string& line : headerLines_) {
      const std::string_view name = Strip(std::string_view(line).substr(0, line.find(':')));
      hasAccept = hasAccept || EqualsIgnoreCase(name, "Accept");
      hasExpect = hasExpect || EqualsIgnoreCase(name, "Expect");
      hasContentType = hasContentType || EqualsIgnoreCase(name, "Content-Type");
      const std::size_t colon = line.find(':');
      // "Name:" alone tells curl to drop a header; "Name;" sends it with an empty value.
      const std::string wire = Strip(std::string_view(line).substr(colon + 1)).empty()
                                   ? line.substr(0, colon) + ";"
                                   : line;
      if (!Append(headers_, wire)) return false;
    }
    if (!hasAccept && !Append(headers_, "Accept:")) return false;
    if (!hasExpect && !Append(headers_, "Expect:")) return false;
    if (!hasContentType && !Append(headers_, "Content-Type:")) return false;
    return Append(proxyHeaders_, "Proxy-Connection:");
  }

  template <typename Until>
  void Drive(Until until) {
    while (!done_) {
      int running = 0;
      if (curl_multi_perform(multi_, &running) != CURLM_OK) {
        Finish(CURLE_FAILED_INIT);
        return;
      }
      int queued = 0;
      while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
        if (message->msg == CURLMSG_DONE) Finish(message->data.result);
      }
      NoteConnected();
      if (done_ || until()) return;

      const std::optional<Clock::time_point> deadline = IdleDeadline();
      int waitMs = kLongestPollMs;
      if (deadline) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
        if (left <= 0) {
          timedOut_ = true;
          Finish(CURLE_OPERATION_TIMEDOUT);
          return;
        }
        waitMs = static_cast<int>(std::min<long long>(left, kLongestPollMs));
      }
      curl_multi_poll(multi_, nullptr, 0, waitMs, nullptr);
    }
  }

  // The idle clock starts once the connection stands; before that curl's connect time-out
  // rules.
  void NoteConnected() {
    if (connected_) return;
    curl_off_t pretransfer = 0;
    curl_easy_getinfo(easy_, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
    if (pretransfer > 0) {
      connected_ = true;
      lastActivity_ = Clock::now();
    }
  }

  std::optional<Clock::time_point> IdleDeadline() const {
    if (!connected_) return std::nullopt;
    const long long limit = UploadDone() ? receiveIdleMs_ : sendIdleMs_;
    if (limit <= 0) return std::nullopt;
    return lastActivity_ + std::chrono::milliseconds(limit);
  }

  void Finish(CURLcode result) {
    if (done_) return;
    done_ = true;
    result_ = result;
    // Only a followed redirect's headers can still be waiting for curl's decision here.
    if (result == CURLE_OK && sawResponse_) headersFinal_ = true;
    if (result == CURLE_OK) {
      failure_ = Failure::kNone;
    } else if (headersFinal_) {
      failure_ = Failure::kRead;
    } else if (timedOut_) {
      failure_ = UploadDone() ? Failure::kReceive : Failure::kSend;
    } else if (sawResponse_) {
      failure_ = Failure::kReceive;
    } else {
      failure_ = IsSendFailure(result) ? Failure::kSend : Failure::kReceive;
    }
  }

  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    Request& self = *static_cast<Request*>(user);
    const std::size_t length = size * count;
    self.lastActivity_ = Clock::now();
    self.connected_ = true;
    // Trailers after a chunked body are not part of the block.
    if (self.headersFinal_) return length;

    std::string_view line(data, length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    // Every response of a redirect chain (and interim 1xx ones) starts a block afresh.
    if (line.substr(0, 5) == "HTTP/") {
      self.block_.clear();
      self.body_.clear();
      self.bodyOffset_ = 0;
      self.status_ = StatusCode(line);
      self.hasLocation_ = false;
      self.pendingRedirect_ = false;
      self.sawResponse_ = true;
    }
    if (self.block_.size() + line.size() + 2 > kHeaderBlockCap) return 0;
    self.block_.append(line).append("\r\n");
    if (!line.empty()) {
      if (StartsWithIgnoreCase(line, "Location:")) self.hasLocation_ = true;
      return length;
    }
    if (self.status_ >= 100 && self.status_ < 200) return length;
    // curl follows a 3xx with a Location; whether it did shows in what comes next: a new status
    // line, body bytes, or the end of the transfer.
    if (self.follows_ && self.status_ >= 300 && self.status_ < 400 && self.hasLocation_) {
      self.pendingRedirect_ = true;
    } else {
      self.headersFinal_ = true;
    }
    return length;
  }

  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    Request& self = *static_cast<Request*>(user);
    const std::size_t length = size * count;
    self.lastActivity_ = Clock::now();
    self.headersFinal_ = true;
    self.pendingRedirect_ = false;
    const std::size_t room = self.bodyCap_ - self.received_;
    const std::size_t taken = std::min(length, room);
    self.body_.append(data, taken);
    self.received_ += taken;
    // Taking less than given makes curl stop the transfer with a write error.
    return taken;
  }

  static int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded) {
    Request& self = *static_cast<Request*>(user);
    if (uploaded > self.uploaded_) {
      self.uploaded_ = uploaded;
      self.lastActivity_ = Clock::now();
      if (static_cast<std::size_t>(uploaded) >= self.requestBody_.size()) self.uploadDone_ = true;
    }
    return 0;
  }

  const std::shared_ptr<const Connection> connection_;
  const Text verb_;
  const Text objectName_;
  const bool secure_;
  const std::size_t bodyCap_;

  std::optional<Credentials> server_;
  std::optional<Credentials> proxy_;
  std::uint32_t securityFlags_ = 0;
  bool cookiesOff_ = false;
  bool redirectsOff_ = false;
  std::vector<std::string> headerLines_;

  CURL* easy_ = nullptr;
  CURLM* multi_ = nullptr;
  Slist headers_;
  Slist proxyHeaders_;
  std::string requestBody_;
  bool follows_ = false;
  long long sendIdleMs_ = 0;
  long long receiveIdleMs_ = 0;

  bool started_ = false;
  bool done_ = false;
  CURLcode result_ = CURLE_OK;
  Failure failure_ = Failure::kNone;
  bool connected_ = false;
  bool timedOut_ = false;
  bool uploadDone_ = false;
  curl_off_t uploaded_ = 0;
  Clock::time_point lastActivity_;

  bool sawResponse_ = false;
  bool headersFinal_ = false;
  bool pendingRedirect_ = false;
  bool hasLocation_ = false;
  int status_ = 0;
  Text block_;

  std::string body_;
  std::size_t bodyOffset_ = 0;
  std::size_t received_ = 0;
};

}  // namespace

CurlHttpService::CurlHttpService(std::size_t bodyCap)
    : bodyCap_(bodyCap), initialised_(curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK) {}

CurlHttpService::~CurlHttpService() {
  {
    std::lock_guard lock(mutex_);
    objects_.clear();
  }
  if (initialised_) curl_global_cleanup();
}

HttpHandle CurlHttpService::Add(std::shared_ptr<Object> object) {
  std::lock_guard lock(mutex_);
  const HttpHandle handle = nextHandle_++;
  objects_.emplace(handle, std::move(object));
  return handle;
}

template <typename T>
std::shared_ptr<T> CurlHttpService::Find(HttpHandle handle) const {
  std::lock_guard lock(mutex_);
  const auto found = objects_.find(handle);
  return found == objects_.end() ? nullptr : std::dynamic_pointer_cast<T>(found->second);
}

std::size_t CurlHttpService::OpenHandleCount() const {
  std::lock_guard lock(mutex_);
  return objects_.size();
}

bool CurlHttpService::CheckPlatform() {
  if (!initialised_) return false;
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  return info && (info->features & CURL_VERSION_SSL) != 0;
}

bool CurlHttpService::CrackUrl(const Text& url, UrlComponents& components) {
  // curl's parser forgives "http:/host" and "http:///host"; an address must name its host after
  // "//" here.
  const std::size_t authority = url.find("://");
  if (authority == std::string::npos || authority + 3 >= url.size() ||
      std::string_view("/?#").find(url[authority + 3]) != std::string_view::npos) {
    return false;
  }
  CURLU* parsed = curl_url();
  if (!parsed) return false;
  std::unique_ptr<CURLU, void (*)(CURLU*)> owner(parsed, curl_url_cleanup);
  if (curl_url_set(parsed, CURLUPART_URL, url.c_str(), CURLU_ALLOW_SPACE | CURLU_PATH_AS_IS) !=
      CURLUE_OK) {
    return false;
  }
  auto get = [&](CURLUPart part, unsigned flags) -> std::optional<std::string> {
    char* value = nullptr;
    if (curl_url_get(parsed, part, &value, flags) != CURLUE_OK) return std::nullopt;
    std::string text(value);
    curl_free(value);
    return text;
  };
  const std::optional<std::string> scheme = get(CURLUPART_SCHEME, 0);
  const std::optional<std::string> host = get(CURLUPART_HOST, 0);
  const std::optional<std::string> port = get(CURLUPART_PORT, CURLU_DEFAULT_PORT);
  if (!scheme || !host || host->empty() || !port) return false;
  UrlComponents result;
  if (*scheme == "http") {
    result.scheme = http::kSchemeHttp;
  } else if (*scheme == "https") {
    result.scheme = http::kSchemeHttps;
  } else {
    return false;
  }
  result.hostName = *host;
  result.port = std::stoi(*port);
  result.path = get(CURLUPART_PATH, 0).value_or("");
  if (const std::optional<std::string> query = get(CURLUPART_QUERY, 0)) {
    result.extraInfo = "?" + *query;
  }
  components = std::move(result);
  return true;
}

HttpHandle CurlHttpService::Open(int accessType, const Text& proxyList) {
  if (accessType != http::kAccessTypeNoProxy && accessType != http::kAccessTypeNamedProxy) {
    return kNoHandle;
  }
  auto session = std::make_shared<Session>();
  session->accessType = accessType;
  session->proxyList = proxyList;
  return Add(std::move(session));
}

bool CurlHttpService::SetTimeouts(HttpHandle session, int resolveMs, int connectMs, int sendMs,
                                  int receiveMs) {
  const std::shared_ptr<Session> found = Find<Session>(session);
  if (!found || std::min({resolveMs, connectMs, sendMs, receiveMs}) < -1) return false;
  // Connections and requests read the session when they send, so the values are set once here
  // before any request of the session is under way.
  found->resolveMs = Limit(resolveMs);
  found->connectMs = Limit(connectMs);
  found->sendMs = Limit(sendMs);
  found->receiveMs = Limit(receiveMs);
  return true;
}

HttpHandle CurlHttpService::Connect(HttpHandle session, const Text& hostName, int port) {
  std::shared_ptr<Session> found = Find<Session>(session);
  if (!found || hostName.empty() || port < 1 || port > 65535) return kNoHandle;
  auto connection = std::make_shared<Connection>();
  connection->session = std::move(found);
  connection->hostName = hostName;
  connection->port = port;
  return Add(std::move(connection));
}

HttpHandle CurlHttpService::OpenRequest(HttpHandle connection, const Text& verb,
                                        const Text& objectName, std::uint32_t flags) {
  std::shared_ptr<Connection> found = Find<Connection>(connection);
  if (!found || verb.empty()) return kNoHandle;
  return Add(std::make_shared<Request>(std::move(found), verb, objectName,
                                       (flags & http::kFlagSecure) != 0, bodyCap_));
}

bool CurlHttpService::SetCredentials(HttpHandle request, int target, int scheme,
                                     const Text& userName, const Text& password) {
  const std::shared_ptr<Request> found = Find<Request>(request);
  return found && found->SetCredentials(target, scheme, userName, password);
}

bool CurlHttpService::SetOption(HttpHandle request, int option, std::uint32_t value) {
  const std::shared_ptr<Request> found = Find<Request>(request);
  return found && found->SetOption(option, value);
}

bool CurlHttpService::AddRequestHeaders(HttpHandle request, const Text& headers, std::uint32_t) {
  const std::shared_ptr<Request> found = Find<Request>(request);
  return found && found->AddHeaders(headers);
}

bool CurlHttpService::SendRequest(HttpHandle request, std::string_view body,
                                  std::uint64_t totalLength) {
  const std::shared_ptr<Request> found = Find<Request>(request);
  return found && totalLength == body.size() && found->Send(body);
}

bool CurlHttpService::ReceiveResponse(HttpHandle request) {
  const std::shared_ptr<Request> found = Find<Request>(request);
  return found && found->Receive();
}

bool CurlHttpService::QueryDataAvailable(HttpHandle request, std::size_t& available) {
  const std::shared_ptr<Request> found = Find<Request>(request);
  return found && found->Available(available);
}

bool CurlHttpService::ReadData(HttpHandle request, char* buffer, std::size_t size,
                               std::size_t& read) {
  const std::shared_ptr<Request> found = Find<Request>(request);
  return found && found->Read(buffer, size, read);
}

bool CurlHttpService::QueryHeaders(HttpHandle request, int infoLevel, char* buffer,
                                   std::size_t& size) {
  const std::shared_ptr<Request> found = Find<Request>(request);
  return found && infoLevel == http::kQueryRawHeadersCrlf && found->Headers(buffer, size);
}

void CurlHttpService::CloseHandle(HttpHandle handle) {
  std::shared_ptr<Object> closed;
  {
    std::lock_guard lock(mutex_);
    const auto found = objects_.find(handle);
    if (found == objects_.end()) return;
    closed = std::move(found->second);
    objects_.erase(found);
  }
  // The transfer is torn down here, outside the lock, unless another thread still drives it.
}

}  // namespace tevrin
