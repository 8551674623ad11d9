#pragma once

// Whether the window can open at all. Qt aborts the process when it finds no display; the
// reader checks first and explains itself in one line instead.

#include <functional>
#include <string>
#include <string_view>

namespace tevrin {

/// Looks up an environment variable; null when it is not set.
using EnvironmentLookup = std::function<const char*(const char*)>;

/// Empty when a display looks usable; otherwise one line, starting with `program`, saying why
/// the window cannot open. `waylandPlugin` tells whether Qt's Wayland platform plugin is
/// installed.
std::string MissingDisplay(const EnvironmentLookup& environment, bool waylandPlugin,
                           std::string_view program = "tevrin");

}  // namespace tevrin
