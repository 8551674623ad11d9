#pragma once

// Start-up and shut-down of a reader window, shared by every program that opens one: the window
// runs until it is closed, then the process ends at once, without waiting for jobs that may
// still be running.

#include <string_view>

#include "app/qt_main_window.h"
#include "app/qt_toolkit.h"
#include "app/reader_state.h"
#include "text/text.h"

namespace tevrin {

/// True when a window can open; otherwise prints one line on standard error, naming
/// `programName`, that says why. Needs no QApplication.
bool DisplayUsable(std::string_view programName);

/// The reader's whole life on the two origins: checks the display (exit code 1 without one),
/// creates the application from `argc`/`argv` as Qt requires, enters the program's folder so
/// that the reading record is written beside the program, builds the window with its toolkit
/// and an HTTP service, and runs until the window is closed, when the process ends with exit
/// code 0. Returns only when no window could open. Messages name `programName`.
int RunReader(int argc, char** argv, const Text& site1Origin, const Text& site2Origin,
              std::string_view programName);

/// Opens `window` centred, runs the event loop, and when the window closes releases the texts
/// of `state`, flushes the output and ends the process with exit code 0. Jobs still running
/// are not waited for; their toolkit calls return at once from the moment the window closes,
/// and no destructor runs that they might still be using.
[[noreturn]] void RunUntilClosed(QtMainWindow& window, QtToolkit& toolkit, ReaderState& state);

}  // namespace tevrin
