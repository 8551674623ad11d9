#pragma once

// A scripted HttpService for tests: every operation can be made to fail, every call is recorded
// with its arguments, and the response is a scripted header block and body chunks.

#include <cstddef>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "web/http_service.h"

namespace tevrin {

class FakeHttpService final : public HttpService {
 public:
  enum class Op {
    kCheckPlatform,
    kCrackUrl,
    kOpen,
    kSetTimeouts,
    kConnect,
    kOpenRequest,
    kSetCredentials,
    kSetOption,
    kAddRequestHeaders,
    kSendRequest,
    kReceiveResponse,
    kQueryDataAvailable,
    kReadData,
    kQueryHeaders,
    kCloseHandle,
  };

  /// One recorded call: the operation and its arguments as text (numbers in decimal).
  struct Call {
    Op op;
    std::vector<std::string> args;
  };

  /// The handles the fake gives out.
  static constexpr HttpHandle kSession = 11;
  static constexpr HttpHandle kConnection = 22;
  static constexpr HttpHandle kRequest = 33;

  /// Every call of `op` fails (an empty handle for the operations that open one).
  void Fail(Op op);
  /// SetOption fails for this option number only.
  void FailOption(int option);
  /// SetCredentials fails for this target only.
  void FailCredentials(int target);
  /// The second QueryHeaders call (the one with a buffer) fails; the size query still answers.
  void FailHeaderFill();
  /// QueryDataAvailable fails when asked for chunk `index` (0-based).
  void FailQueryDataAt(std::size_t index);
  /// ReadData fails when asked for chunk `index` (0-based).
  void FailReadAt(std::size_t index);

  /// What CrackUrl gives; without it the address is taken apart in a simple way
  /// ("scheme://host[:port][path][?query]"; schemes other than http and https give scheme 3).
  void SetUrlComponents(UrlComponents components);
  /// The block QueryHeaders gives (a zero byte is added after it).
  void SetHeaderBlock(Text block);
  /// The body, one chunk per QueryDataAvailable / ReadData turn (a read smaller than the chunk
  /// leaves the rest for the next turn).
  void SetBodyChunks(std::vector<Bytes> chunks);

  std::vector<Call> Calls() const;
  /// The recorded operations' names separated by blanks, e.g. "CheckPlatform CrackUrl Open".
  std::string Trace() const;
  /// The arguments of every recorded call of `op`, in order.
  std::vector<std::vector<std::string>> ArgsOf(Op op) const;
  /// Handles given out and not closed since.
  std::size_t OpenHandleCount() const;

  static std::string Name(Op op);

  bool CheckPlatform() override;
  bool CrackUrl(const Text& url, UrlComponents& components) override;
  HttpHandle Open(int accessType, const Text& proxyList) override;
  bool SetTimeouts(HttpHandle session, int resolveMs, int connectMs, int sendMs,
                   int receiveMs) override;
  HttpHandle Connect(HttpHandle session, const Text& hostName, int port) override;
  HttpHandle OpenRequest(HttpHandle connection, const Text& verb, const Text& objectName,
                         std::uint32_t flags) override;
  bool SetCredentials(HttpHandle request, int target, int scheme, const Text& userName,
                      const Text& password) override;
  bool SetOption(HttpHandle request, int option, std::uint32_t value) override;
  bool AddRequestHeaders(HttpHandle request, const Text& headers, std::uint32_t modifiers) override;
  bool SendRequest(HttpHandle request, std::string_view body, std::uint64_t totalLength) override;
  bool ReceiveResponse(HttpHandle request) override;
  bool QueryDataAvailable(HttpHandle request, std::size_t& available) override;
  bool ReadData(HttpHandle request, char* buffer, std::size_t size, std::size_t& read) override;
  bool QueryHeaders(HttpHandle request, int infoLevel, char* buffer, std::size_t& size) override;
  void CloseHandle(HttpHandle handle) override;

 private:
  bool Record(Op op, std::vector<std::string> args);
  HttpHandle Give(HttpHandle handle);

  mutable std::mutex mutex_;
  std::set<Op> failing_;
  std::set<int> failingOptions_;
  std::set<int> failingTargets_;
  bool failHeaderFill_ = false;
  std::optional<std::size_t> failQueryDataAt_;
  std::optional<std::size_t> failReadAt_;
  std::optional<UrlComponents> components_;
  Text headerBlock_ = "HTTP/1.1 200 OK\r\n\r\n";
  std::vector<Bytes> chunks_;
  std::size_t nextChunk_ = 0;
  std::size_t chunkOffset_ = 0;
  std::vector<Call> calls_;
  std::multiset<HttpHandle> open_;
};

}  // namespace tevrin
