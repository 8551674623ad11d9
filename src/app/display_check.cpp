#include "app/display_check.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace tevrin {

namespace {

std::string_view Variable(const EnvironmentLookup& environment, const char* name) {
  const char* value = environment(name);
  return value == nullptr ? std::string_view() : std::string_view(value);
}

// Connects to the socket of a local X display (":N", ":N.S", "unix:N"); displays on other hosts
// are taken on trust.
bool LocalXServerAnswers(std::string_view display) {
  if (display.starts_with("unix:")) display.remove_prefix(4);
  if (!display.starts_with(':')) return true;
  display.remove_prefix(1);
  const std::string_view number = display.substr(0, display.find('.'));
  if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos) {
    return false;
  }
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return true;
  bool answered = false;
  // The server listens on the file-system socket and, on Linux, on an abstract one.
  for (const bool abstract : {false, true}) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = "/tmp/.X11-unix/X" + std::string(number);
    const std::size_t offset = abstract ? 1 : 0;
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const auto length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
      answered = true;
      break;
    }
  }
  ::close(fd);
  return answered;
}

}  // namespace

std::string MissingDisplay(const EnvironmentLookup& environment, bool waylandPlugin,
                           std::string_view program) {
  const std::string_view x11 = Variable(environment, "DISPLAY");
  const std::string_view wayland = Variable(environment, "WAYLAND_DISPLAY");
  std::string_view platform = Variable(environment, "QT_QPA_PLATFORM");
  platform = platform.substr(0, platform.find_first_of(":;"));
  const std::string prefix = std::string(program) + ": cannot open the window: ";

  if (platform.empty() && x11.empty() && wayland.empty()) {
    return prefix +
           "no display (neither DISPLAY nor WAYLAND_DISPLAY is set); run it in a desktop "
           "session or set QT_QPA_PLATFORM=offscreen";
  }
  const bool useX11 =
      platform == "xcb" || (platform.empty() && (wayland.empty() || !waylandPlugin));
  if (useX11) {
    if (x11.empty()) {
      return prefix + (platform.empty() ? "Qt's Wayland plugin is not installed (Debian package "
                                          "qt6-wayland) and DISPLAY is not set"
                                        : "QT_QPA_PLATFORM is xcb but DISPLAY is not set");
    }
    if (!LocalXServerAnswers(x11)) {
      return prefix + "no X server answers on display " + std::string(x11);
    }
    return std::string();
  }
  if (platform.empty() || platform.starts_with("wayland")) {
    if (wayland.empty())
      return prefix + "QT_QPA_PLATFORM is wayland but WAYLAND_DISPLAY is not set";
    if (!waylandPlugin) {
      return prefix +
             "QT_QPA_PLATFORM is wayland but Qt's Wayland plugin is not installed (Debian "
             "package qt6-wayland)";
    }
  }
  // Any other platform (offscreen, vnc, eglfs, ...) needs no display server.
  return std::string();
}

}  // namespace tevrin
