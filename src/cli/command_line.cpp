#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string_view>

namespace tevrin {

namespace {

constexpr int kUsageError = 2;

int UsageError(std::string reason) {
  // A usage error is one line, so that scripts can log it as it is.
  for (char& c : reason) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  std::fprintf(stderr, "tevrin-cli: %s (see --help)\n", reason.c_str());
  return kUsageError;
}

/// Empty when `origin` is usable; otherwise why not. A trailing slash is dropped first, since
/// the search paths are appended to the origin as they are.
std::string CheckOrigin(const char* option, std::string& origin) {
  while (!origin.empty() && origin.back() == '/') origin.pop_back();
  const std::string_view view(origin);
  for (std::string_view scheme : {"https://", "http://"}) {
    if (view.substr(0, scheme.size()) == scheme) {
      const std::string_view host = view.substr(scheme.size());
      if (!host.empty() && host.find_first_of("/?# ") == std::string_view::npos) return {};
    }
  }
  return std::string(option) + ": '" + origin +
         "' is not an origin (http or https, a host, an optional port, no path)";
}

void AddSiteOption(CLI::App& command, int& site) {
  command.add_option("--site", site, "1 (笔趣阁) or 2 (顶点网)")
      ->check(CLI::Range(1, 2))
      ->capture_default_str();
}

}  // namespace

std::variant<CommandLine, int> ParseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  CLI::App app("The reader's searches, contents, chapters and requests from a terminal.",
               "tevrin-cli");
  // Global options may also follow the command.
  app.fallthrough();
  app.require_subcommand(1);
  std::string site1;
  std::string site2;
  CLI::Option* site1Option =
      app.add_option("--site1", site1, "origin of site 1 for this run (https://host[:port])");
  CLI::Option* site2Option =
      app.add_option("--site2", site2, "origin of site 2 for this run (https://host[:port])");
  app.add_flag("--json", line.json, "print one JSON object instead of text for people");

  CLI::App* search = app.add_subcommand("search", "search a site for books by name");
  AddSiteOption(*search, line.site);
  search->add_option("NAME", line.name, "book name, or part of it")->required();

  CLI::App* toc = app.add_subcommand("toc", "list a book's chapters");
  AddSiteOption(*toc, line.site);
  toc->add_option("--name", line.name, "the book's name, shown above the chapters")->required();
  toc->add_option("BOOK_URL", line.address, "the book's address")->required();

  CLI::App* read = app.add_subcommand("read", "show a chapter and record it in 配置.ini");
  AddSiteOption(*read, line.site);
  std::string recordDirectory;
  CLI::Option* recordOption =
      read->add_option("--record-dir", recordDirectory,
                       "folder of 配置.ini (default: the folder of tevrin-cli)")
          ->check(CLI::ExistingDirectory);
  read->add_option("CHAPTER_URL", line.address, "the chapter's address")->required();

  CLI::App* nav = app.add_subcommand("nav", "press 上一章 or 下一章 on a chapter");
  AddSiteOption(*nav, line.site);
  std::string book;
  CLI::Option* bookOption =
      nav->add_option("--book", book, "the book's address (the first or last chapter links to it)");
  std::string direction;
  nav->add_option("DIRECTION", direction, "prev or next")
      ->required()
      ->check(CLI::IsMember({"prev", "next"}));
  nav->add_option("ADDRESS", line.address, "the previous or next chapter's address")->required();

  CLI::App* fetch = app.add_subcommand("fetch", "make one request and print the page");
  FetchArguments& f = line.fetch;
  fetch
      ->add_option("--method", f.method,
                   "0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE, 6 "
                   "TRACE, 7 CONNECT; anything else GET")
      ->capture_default_str();
  fetch->add_option("--header", f.headers, "a request header line \"Name: value\" (repeatable)")
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  fetch->add_option("--cookies", f.cookies, "cookies to send, \"a=1; b=2\"");
  fetch->add_option("--body", f.body, "request body");
  fetch->add_option("--timeout", f.timeoutSeconds, "seconds for each phase (0: 30)")
      ->capture_default_str();
  fetch->add_option("--proxy", f.proxy, "proxy HOST:PORT");
  CLI::Option* user = fetch->add_option("--user", f.userName, "user name for Basic authentication");
  CLI::Option* password =
      fetch->add_option("--password", f.password, "password for Basic authentication");
  user->needs(password);
  password->needs(user);
  fetch->add_flag("--no-redirects", f.disableRedirects, "do not follow redirects");
  fetch->add_option("URL", f.url, "the address, http or https")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return app.exit(error);
    return UsageError(error.what());
  }

  if (*site1Option) {
    if (std::string why = CheckOrigin("--site1", site1); !why.empty()) return UsageError(why);
    line.site1Origin = site1;
  }
  if (*site2Option) {
    if (std::string why = CheckOrigin("--site2", site2); !why.empty()) return UsageError(why);
    line.site2Origin = site2;
  }
  if (*recordOption) line.recordDirectory = recordDirectory;
  if (*bookOption) line.book = book;
  line.next = direction == "next";

  if (search->parsed()) {
    line.command = CliCommand::Search;
  } else if (toc->parsed()) {
    line.command = CliCommand::Toc;
  } else if (read->parsed()) {
    line.command = CliCommand::Read;
  } else if (nav->parsed()) {
    line.command = CliCommand::Nav;
  } else {
    line.command = CliCommand::Fetch;
  }
  return line;
}

}  // namespace tevrin
