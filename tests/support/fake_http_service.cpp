#include "support/fake_http_service.h"

#include <algorithm>
#include <cstring>

namespace tevrin {

namespace {

std::string Number(long long value) {
  return std::to_string(value);
}

UrlComponents SimpleCrack(const Text& url) {
  UrlComponents parts;
  const std::size_t schemeEnd = url.find("://");
  const std::string scheme = url.substr(0, schemeEnd == std::string::npos ? 0 : schemeEnd);
  parts.scheme = scheme == "http" ? http::kSchemeHttp : scheme == "https" ? http::kSchemeHttps : 3;
  std::size_t at = schemeEnd == std::string::npos ? 0 : schemeEnd + 3;
  const std::size_t hostEnd = std::min(url.find_first_of("/?", at), url.size());
  std::string host = url.substr(at, hostEnd - at);
  parts.port = parts.scheme == http::kSchemeHttps ? 443 : 80;
  if (const std::size_t colon = host.find(':'); colon != std::string::npos) {
    parts.port = std::atoi(host.c_str() + colon + 1);
    host.resize(colon);
  }
  parts.hostName = host;
  at = hostEnd;
  const std::size_t queryStart = std::min(url.find('?', at), url.size());
  parts.path = url.substr(at, queryStart - at);
  parts.extraInfo = url.substr(queryStart);
  return parts;
}

}  // namespace

void FakeHttpService::Fail(Op op) {
  std::lock_guard lock(mutex_);
  failing_.insert(op);
}

void FakeHttpService::FailOption(int option) {
  std::lock_guard lock(mutex_);
  failingOptions_.insert(option);
}

void FakeHttpService::FailCredentials(int target) {
  std::lock_guard lock(mutex_);
  failingTargets_.insert(target);
}

void FakeHttpService::FailHeaderFill() {
  std::lock_guard lock(mutex_);
  failHeaderFill_ = true;
}

void FakeHttpService::FailQueryDataAt(std::size_t index) {
  std::lock_guard lock(mutex_);
  failQueryDataAt_ = index;
}

void FakeHttpService::FailReadAt(std::size_t index) {
  std::lock_guard lock(mutex_);
  failReadAt_ = index;
}

void FakeHttpService::SetUrlComponents(UrlComponents components) {
  std::lock_guard lock(mutex_);
  components_ = std::move(components);
}

void FakeHttpService::SetHeaderBlock(Text block) {
  std::lock_guard lock(mutex_);
  headerBlock_ = std::move(block);
}

void FakeHttpService::SetBodyChunks(std::vector<Bytes> chunks) {
  std::lock_guard lock(mutex_);
  chunks_ = std::move(chunks);
  nextChunk_ = 0;
  chunkOffset_ = 0;
}

std::vector<FakeHttpService::Call> FakeHttpService::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::string FakeHttpService::Trace() const {
  std::lock_guard lock(mutex_);
  std::string trace;
  for (const Call& call : calls_) {
    if (!trace.empty()) trace += ' ';
    trace += Name(call.op);
  }
  return trace;
}

std::vector<std::vector<std::string>> FakeHttpService::ArgsOf(Op op) const {
  std::lock_guard lock(mutex_);
  std::vector<std::vector<std::string>> found;
  for (const Call& call : calls_) {
    if (call.op == op) found.push_back(call.args);
  }
  return found;
}

std::size_t FakeHttpService::OpenHandleCount() const {
  std::lock_guard lock(mutex_);
  return open_.size();
}

std::string FakeHttpService::Name(Op op) {
  switch (op) {
    case Op::kCheckPlatform:
      return "CheckPlatform";
    case Op::kCrackUrl:
      return "CrackUrl";
    case Op::kOpen:
      return "Open";
    case Op::kSetTimeouts:
      return "SetTimeouts";
    case Op::kConnect:
      return "Connect";
    case Op::kOpenRequest:
      return "OpenRequest";
    case Op::kSetCredentials:
      return "SetCredentials";
    case Op::kSetOption:
      return "SetOption";
    case Op::kAddRequestHeaders:
      return "AddRequestHeaders";
    case Op::kSendRequest:
      return "SendRequest";
    case Op::kReceiveResponse:
      return "ReceiveResponse";
    case Op::kQueryDataAvailable:
      return "QueryDataAvailable";
    case Op::kReadData:
      return "ReadData";
    case Op::kQueryHeaders:
      return "QueryHeaders";
    case Op::kCloseHandle:
      return "CloseHandle";
  }
  return "?";
}

// Records the call; true when the script lets it succeed. Called with the lock held.
bool FakeHttpService::Record(Op op, std::vector<std::string> args) {
  calls_.push_back({op, std::move(args)});
  return failing_.count(op) == 0;
}

HttpHandle FakeHttpService::Give(HttpHandle handle) {
  open_.insert(handle);
  return handle;
}

bool FakeHttpService::CheckPlatform() {
  std::lock_guard lock(mutex_);
  return Record(Op::kCheckPlatform, {});
}

bool FakeHttpService::CrackUrl(const Text& url, UrlComponents& components) {
  std::lock_guard lock(mutex_);
  if (!Record(Op::kCrackUrl, {url})) return false;
  components = components_ ? *components_ : SimpleCrack(url);
  return true;
}

HttpHandle FakeHttpService::Open(int accessType, const Text& proxyList) {
  std::lock_guard lock(mutex_);
  return Record(Op::kOpen, {Number(accessType), proxyList}) ? Give(kSession) : kNoHandle;
}

bool FakeHttpService::SetTimeouts(HttpHandle session, int resolveMs, int connectMs, int sendMs,
                                  int receiveMs) {
  std::lock_guard lock(mutex_);
  return Record(Op::kSetTimeouts, {Number(session), Number(resolveMs), Number(connectMs),
                                   Number(sendMs), Number(receiveMs)});
}

HttpHandle FakeHttpService::Connect(HttpHandle session, const Text& hostName, int port) {
  std::lock_guard lock(mutex_);
  return Record(Op::kConnect, {Number(session), hostName, Number(port)}) ? Give(kConnection)
                                                                         : kNoHandle;
}

HttpHandle FakeHttpService::OpenRequest(HttpHandle connection, const Text& verb,
                                        const Text& objectName, std::uint32_t flags) {
  std::lock_guard lock(mutex_);
  return Record(Op::kOpenRequest, {Number(connection), verb, objectName, Number(flags)})
             ? Give(kRequest)
             : kNoHandle;
}

bool FakeHttpService::SetCredentials(HttpHandle request, int target, int scheme,
                                     const Text& userName, const Text& password) {
  std::lock_guard lock(mutex_);
  const bool ok = Record(Op::kSetCredentials,
                         {Number(request), Number(target), Number(scheme), userName, password});
  return ok && failingTargets_.count(target) == 0;
}

bool FakeHttpService::SetOption(HttpHandle request, int option, std::uint32_t value) {
  std::lock_guard lock(mutex_);
  const bool ok = Record(Op::kSetOption, {Number(request), Number(option), Number(value)});
  return ok && failingOptions_.count(option) == 0;
}

bool FakeHttpService::AddRequestHeaders(HttpHandle request, const Text& headers,
                                        std::uint32_t modifiers) {
  std::lock_guard lock(mutex_);
  return Record(Op::kAddRequestHeaders, {Number(request), headers, Number(modifiers)});
}

bool FakeHttpService::SendRequest(HttpHandle request, std::string_view body,
                                  std::uint64_t totalLength) {
  std::lock_guard lock(mutex_);
  return Record(Op::kSendRequest,
                {Number(request), std::string(body), Number(static_cast<long long>(totalLength))});
}

bool FakeHttpService::ReceiveResponse(HttpHandle request) {
  std::lock_guard lock(mutex_);
  return Record(Op::kReceiveResponse, {Number(request)});
}

bool FakeHttpService::QueryDataAvailable(HttpHandle request, std::size_t& available) {
  std::lock_guard lock(mutex_);
  if (!Record(Op::kQueryDataAvailable, {Number(request)})) return false;
  if (failQueryDataAt_ == nextChunk_) return false;
  available = nextChunk_ < chunks_.size() ? chunks_[nextChunk_].size() - chunkOffset_ : 0;
  return true;
}

bool FakeHttpService::ReadData(HttpHandle request, char* buffer, std::size_t size,
                               std::size_t& read) {
  std::lock_guard lock(mutex_);
  if (!Record(Op::kReadData, {Number(request), Number(static_cast<long long>(size))})) {
    return false;
  }
  if (failReadAt_ == nextChunk_ || nextChunk_ >= chunks_.size()) return false;
  const Bytes& chunk = chunks_[nextChunk_];
  read = std::min(size, chunk.size() - chunkOffset_);
  std::memcpy(buffer, chunk.data() + chunkOffset_, read);
  chunkOffset_ += read;
  if (chunkOffset_ == chunk.size()) {
    ++nextChunk_;
    chunkOffset_ = 0;
  }
  return true;
}

bool FakeHttpService::QueryHeaders(HttpHandle request, int infoLevel, char* buffer,
                                   std::size_t& size) {
  std::lock_guard lock(mutex_);
  if (!Record(Op::kQueryHeaders,
              {Number(request), Number(infoLevel), Number(static_cast<long long>(size))})) {
    return false;
  }
  const std::size_t needed = headerBlock_.size() + 1;
  if (buffer == nullptr || size < needed) {
    size = needed;
    return false;
  }
  if (failHeaderFill_) return false;
  std::memcpy(buffer, headerBlock_.c_str(), needed);
  size = headerBlock_.size();
  return true;
}

void FakeHttpService::CloseHandle(HttpHandle handle) {
  std::lock_guard lock(mutex_);
  Record(Op::kCloseHandle, {Number(static_cast<long long>(handle))});
  if (const auto found = open_.find(handle); found != open_.end()) open_.erase(found);
}

}  // namespace tevrin
