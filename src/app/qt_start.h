#pragma once

// Start-up's last step and shut-down: the window runs until it is closed, then the process ends
// at once, without waiting for jobs that may still be running.

#include "app/qt_main_window.h"
#include "app/qt_toolkit.h"
#include "app/reader_state.h"

namespace tevrin {

/// Opens `window` centred, runs the event loop, and when the window closes releases the texts
/// of `state`, flushes the output and ends the process with exit code 0. Jobs still running
/// are not waited for; their toolkit calls return at once from the moment the window closes,
/// and no destructor runs that they might still be using.
[[noreturn]] void RunUntilClosed(QtMainWindow& window, QtToolkit& toolkit, ReaderState& state);

}  // namespace tevrin
