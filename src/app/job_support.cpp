#include "app/job_support.h"

#include <chrono>
#include <thread>

#include "text/code_page.h"
#include "web/web_access.h"

namespace tevrin {

Text FetchPage(Reader& reader, const Text& url, int timeoutSeconds) {
  WebAccessArgs args;
  args.url = url;
  args.method = 0;
  args.timeoutSeconds = timeoutSeconds;
  return WebAccess(reader.http, args, [&reader] { reader.toolkit.ProcessEvents(); });
}

void ShowFailureMessage(Reader& reader) {
  static const Text message = Gbk(u8"未获取到对应资源，请检查您的网络配置是否正常！！！");
  static const Text title = Gbk(u8"Keldan小说-温馨提醒：");
  reader.toolkit.MessageBox(message, title);
}

std::unique_lock<std::mutex> LockOnWindowThread(Reader& reader, ReaderState::Kind kind) {
  std::unique_lock lock(reader.state.WindowWrites(kind), std::try_to_lock);
  while (!lock.owns_lock()) {
    reader.toolkit.ProcessEvents();
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    lock.try_lock();
  }
  return lock;
}

bool WriteIfCurrent(Reader& reader, ReaderState::Kind kind, std::uint64_t ticket,
                    const std::function<void()>& write) {
  std::lock_guard lock(reader.state.WindowWrites(kind));
  if (!reader.state.IsCurrent(kind, ticket)) return false;
  write();
  return true;
}

}  // namespace tevrin
