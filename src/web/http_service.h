#pragma once

// The HTTP service WebAccess talks to. Its operations are those of the platform HTTP service
// the program was built around, in the order WebAccess calls them, with that service's numbers
// for access types, flags, options and info levels, so that a call reads the same here as it
// does there. Texts are GBK bytes and pass through unchanged. No operation throws: a failure is
// a false result or an empty handle.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/text.h"

namespace tevrin {

/// An opened session, connection or request; kNoHandle when nothing was opened.
using HttpHandle = std::uint64_t;
inline constexpr HttpHandle kNoHandle = 0;

namespace http {
inline constexpr int kSchemeHttp = 1;
inline constexpr int kSchemeHttps = 2;

inline constexpr int kAccessTypeNoProxy = 1;
inline constexpr int kAccessTypeNamedProxy = 3;

inline constexpr std::uint32_t kFlagSecure = 0x00800000;

inline constexpr int kAuthTargetServer = 0;
inline constexpr int kAuthTargetProxy = 1;
inline constexpr int kAuthSchemeBasic = 1;

inline constexpr int kOptionSecurityFlags = 31;
inline constexpr int kOptionDisableFeature = 63;
inline constexpr int kOptionEnableFeature = 79;

inline constexpr std::uint32_t kSecurityIgnoreUnknownCa = 0x0100;
inline constexpr std::uint32_t kSecurityIgnoreCertWrongUsage = 0x0200;
inline constexpr std::uint32_t kSecurityIgnoreCertCnInvalid = 0x1000;
inline constexpr std::uint32_t kSecurityIgnoreCertDateInvalid = 0x2000;

/// Values of kOptionDisableFeature.
inline constexpr std::uint32_t kDisableCookies = 1;
inline constexpr std::uint32_t kDisableRedirects = 2;
/// Value of kOptionEnableFeature.
inline constexpr std::uint32_t kEnableSslRevocation = 1;

inline constexpr std::uint32_t kAddRequestFlagAdd = 0x20000000;

inline constexpr int kQueryRawHeadersCrlf = 22;
}  // namespace http

/// The parts of an address as CrackUrl gives them.
struct UrlComponents {
  int scheme = 0;  ///< http::kSchemeHttp or http::kSchemeHttps
  Text hostName;
  int port = 0;    ///< the address's own port, or the scheme's default
  Text path;       ///< empty when the address has none
  Text extraInfo;  ///< the query with its leading "?", empty when there is none
};

class HttpService {
 public:
  virtual ~HttpService() = default;

  /// True when the service can be used on this system.
  virtual bool CheckPlatform() = 0;
  /// Splits `url` into its parts; false for an address it cannot take apart.
  virtual bool CrackUrl(const Text& url, UrlComponents& components) = 0;
  /// A session; `proxyList` is read when `accessType` is http::kAccessTypeNamedProxy.
  virtual HttpHandle Open(int accessType, const Text& proxyList) = 0;
  /// Per-phase time-outs of a session, in milliseconds.
  virtual bool SetTimeouts(HttpHandle session, int resolveMs, int connectMs, int sendMs,
                           int receiveMs) = 0;
  virtual HttpHandle Connect(HttpHandle session, const Text& hostName, int port) = 0;
  /// `objectName` is the request target; `flags` may hold http::kFlagSecure.
  virtual HttpHandle OpenRequest(HttpHandle connection, const Text& verb, const Text& objectName,
                                 std::uint32_t flags) = 0;
  virtual bool SetCredentials(HttpHandle request, int target, int scheme, const Text& userName,
                              const Text& password) = 0;
  virtual bool SetOption(HttpHandle request, int option, std::uint32_t value) = 0;
  /// `headers` holds lines separated by CR LF.
  virtual bool AddRequestHeaders(HttpHandle request, const Text& headers,
                                 std::uint32_t modifiers) = 0;
  /// Sends the request with `body`; `totalLength` is the length of the whole body.
  virtual bool SendRequest(HttpHandle request, std::string_view body,
                           std::uint64_t totalLength) = 0;
  /// Waits for the response; its header block can then be queried.
  virtual bool ReceiveResponse(HttpHandle request) = 0;
  /// Waits until body bytes are ready and gives their number; 0 at the end of the body.
  virtual bool QueryDataAvailable(HttpHandle request, std::size_t& available) = 0;
  /// Moves up to `size` ready bytes into `buffer`; `read` receives how many.
  virtual bool ReadData(HttpHandle request, char* buffer, std::size_t size, std::size_t& read) = 0;
  /// With http::kQueryRawHeadersCrlf: the final response's header block, status line first,
  /// every line ended by CR LF, then a zero byte. `size` is the buffer's size in bytes; when it
  /// is too small (a null buffer is) the call fails and sets `size` to the size needed;
  /// otherwise it sets `size` to the block's length.
  virtual bool QueryHeaders(HttpHandle request, int infoLevel, char* buffer, std::size_t& size) = 0;
  /// Releases a handle; kNoHandle and unknown handles are ignored.
  virtual void CloseHandle(HttpHandle handle) = 0;
};

}  // namespace tevrin
