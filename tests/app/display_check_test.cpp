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
    bool opens;
  };
  const Case cases[] = {
      {"nothing set", {}, false},
      {"empty DISPLAY", {{"DISPLAY", ""}}, false},
      {"offscreen", {{"QT_QPA_PLATFORM", "offscreen"}}, true},
      {"offscreen with options", {{"QT_QPA_PLATFORM", "offscreen:fontengine=freetype"}}, true},
      {"wayland session", {{"WAYLAND_DISPLAY", "wayland-0"}}, true},
      {"wayland platform without its display", {{"QT_QPA_PLATFORM", "wayland"}}, false},
      {"xcb platform without DISPLAY",
       {{"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", "wayland-0"}},
       false},
      {"local display nobody serves", {{"DISPLAY", ":987"}}, false},
      {"malformed local display", {{"DISPLAY", ":x"}}, false},
      {"display on another host", {{"DISPLAY", "far.example:0"}}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string why = MissingDisplay([&](const char* name) -> const char* {
      const auto found = c.environment.find(name);
      return found == c.environment.end() ? nullptr : found->second.c_str();
    });
    EXPECT_EQ(why.empty(), c.opens) << why;
    EXPECT_EQ(why.find('\n'), std::string::npos) << "one line";
  }
}

}  // namespace
}  // namespace tevrin
