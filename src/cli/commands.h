#pragma once

// The commands of tevrin-cli. Each one sets up the headless window as a user would leave it,
// fires the same event the window would, waits for the jobs it started, and reads back what the
// window shows. Every text here is UTF-8.

#include <string>
#include <variant>
#include <vector>

#include "cli/command_line.h"

namespace tevrin {

/// One message box, in the order shown; a box without a title has the default title.
struct ShownMessage {
  std::string title;
  std::string text;
};

struct SearchOutcome {
  int page = 0;
  /// 超级列表框1, every cell in column order.
  std::vector<std::vector<std::string>> rows;
  std::string buttonCaption;
  bool buttonEnabled = false;
  std::vector<ShownMessage> messages;
};

struct TocOutcome {
  int page = 0;
  /// 透明标签_文章.
  std::string label;
  /// 超级列表框2: number, title, address.
  std::vector<std::vector<std::string>> rows;
  std::vector<ShownMessage> messages;
};

/// What `read` and `nav` leave on show.
struct ChapterOutcome {
  int page = 0;
  std::string title;
  std::string text;
  std::string prev;
  std::string next;
  std::vector<ShownMessage> messages;
};

struct FetchOutcome {
  std::string text;
  std::string statusText;
  std::string responseHeaders;
  std::string redirectLocation;
  std::string responseCookies;
  std::string cookies;
  std::size_t bodyLength = 0;
  /// False when the request stopped with a numbered message before its header block was read.
  bool succeeded = false;
};

using CommandOutcome = std::variant<SearchOutcome, TocOutcome, ChapterOutcome, FetchOutcome>;

/// Runs the command of `line` against the sites (the built-in origins unless replaced) and
/// returns once every job it started has ended.
CommandOutcome RunCommand(const CommandLine& line);

/// 0 when the command went through, 1 when it showed a message box (a failure or the end of a
/// book) or its request failed.
int ExitCodeOf(const CommandOutcome& outcome);

}  // namespace tevrin
