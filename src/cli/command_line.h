#pragma once

// The arguments of tevrin-cli, as typed (UTF-8), checked and sorted by command.

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tevrin {

enum class CliCommand { Search, Toc, Read, Nav, Fetch };

/// The arguments of `fetch`, one for each WebAccess argument the tool exposes.
struct FetchArguments {
  std::string url;
  int method = 0;
  /// Header lines as given, one per `--header`.
  std::vector<std::string> headers;
  std::string cookies;
  std::string body;
  int timeoutSeconds = 0;
  std::string proxy;
  std::string userName;
  std::string password;
  bool disableRedirects = false;
};

struct CommandLine {
  /// Replacements for the built-in origins, without a trailing slash.
  std::optional<std::string> site1Origin;
  std::optional<std::string> site2Origin;
  bool json = false;
  CliCommand command = CliCommand::Search;
  /// 1 or 2.
  int site = 1;
  /// The book name of `search` and `toc`.
  std::string name;
  /// BOOK_URL of `toc`, CHAPTER_URL of `read`, ADDRESS of `nav`.
  std::string address;
  /// `read`: where 配置.ini goes; the tool's own directory when absent.
  std::optional<std::string> recordDirectory;
  /// `nav`: the book's address in the selected row of the book list; no row when absent.
  std::optional<std::string> book;
  /// `nav`: true for next, false for prev.
  bool next = false;
  FetchArguments fetch;
};

/// The parsed command line, or the exit code to end with: 0 after printing the help, 2 after
/// printing a one-line usage error on standard error.
std::variant<CommandLine, int> ParseCommandLine(int argc, const char* const* argv);

}  // namespace tevrin
