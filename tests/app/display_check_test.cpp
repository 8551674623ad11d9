#include "app/display_check.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace tevrin {
namespace {

TEST(DisplayCheckTest, SaysWhyNoWindowCanOpen) {
  struct Case {
    const char* name;
    std::map<std::string, std::string> environment;
    bool waylandPlugin;
    bool opens;
  };
  const Case cases[] = {
      {"nothing set", {}, true, false},
      {"empty DISPLAY", {{"DISPLAY", ""}}, true, false},
      {"offscreen", {{"QT_QPA_PLATFORM", "offscreen"}}, false, true},
      {"offscreen with options",
       {{"QT_QPA_PLATFORM", "offscreen:fontengine=freetype"}},
       false,
       true},
      {"wayland session", {{"WAYLAND_DISPLAY", "wayland-0"}}, true, true},
      {"wayland session without the plugin", {{"WAYLAND_DISPLAY", "wayland-0"}}, false, false},
      {"wayland without the plugin falls back to X",
       {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", "far.example:0"}},
       false,
       true},
      {"wayland platform without its display", {{"QT_QPA_PLATFORM", "wayland"}}, true, false},
      {"wayland platform without the plugin",
       {{"QT_QPA_PLATFORM", "wayland"}, {"WAYLAND_DISPLAY", "wayland-0"}},
       false,
       false},
      {"xcb platform without DISPLAY",
       {{"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", "wayland-0"}},
       true,
       false},
      {"local display nobody serves", {{"DISPLAY", ":987"}}, true, false},
      {"malformed local display", {{"DISPLAY", ":x"}}, true, false},
      {"display on another host", {{"DISPLAY", "far.example:0"}}, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string why = MissingDisplay(
        [&](const char* name) -> const char* {
          const auto found = c.environment.find(name);
          return found == c.environment.end() ? nullptr : found->second.c_str();
        },
        c.waylandPlugin);
    EXPECT_EQ(why.empty(), c.opens) << why;
    EXPECT_EQ(why.find('\n'), std::string::npos) << "one line";
  }
}

}  // namespace
}  // namespace tevrin
