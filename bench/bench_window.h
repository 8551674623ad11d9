#pragma once

// The reader as main() assembles it (state, libcurl service, window, toolkit, the event table
// behind the window), for the benchmarks and probes that drive the real window. A QApplication
// must exist first; everything here runs on the window thread.

#include <chrono>
#include <functional>
#include <optional>

#include "app/qt_main_window.h"
#include "app/qt_toolkit.h"
#include "app/reader.h"
#include "app/reader_state.h"
#include "web/curl_http_service.h"

namespace tevrin {

class BenchReader {
 public:
  BenchReader(Text site1Origin, Text site2Origin);
  BenchReader(const BenchReader&) = delete;
  BenchReader& operator=(const BenchReader&) = delete;

  Reader& reader() { return *reader_; }
  QtMainWindow& window() { return window_; }
  QtToolkit& toolkit() { return toolkit_; }

  /// Opens the window and returns once it is exposed; false when it never is.
  bool Show();
  /// Chooses the site in 组合框1 as a user does (1 or 2).
  void ChooseSite(int site);
  /// A mouse double-click on `row` of a list, which selects the row first, as a user's does.
  void DoubleClickRow(Control list, int row);
  /// Handles window events until `done` holds; false when `limit` passes first.
  bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit);
  /// Paints the list's rows now, as the next frame would.
  void Paint(Control list);
  /// Returns once no job of `kind` holds its write lock, so the last job that wrote has let go
  /// of everything the reader owns.
  void AwaitJobWrites(ReaderState::Kind kind);

 private:
  ReaderState state_;
  CurlHttpService http_;
  std::optional<Reader> reader_;
  QtMainWindow window_;
  QtToolkit toolkit_;
};

}  // namespace tevrin
