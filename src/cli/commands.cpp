#include "cli/commands.h"

#include <optional>
#include <string_view>

#include "app/event_table.h"
#include "app/headless_toolkit.h"
#include "app/program_directory.h"
#include "app/reader.h"
#include "app/reader_state.h"
#include "text/code_page.h"
#include "web/curl_http_service.h"
#include "web/web_access.h"

namespace tevrin {

namespace {

constexpr int kBookUrlColumn = 5;
constexpr int kChapterUrlColumn = 2;

std::string Utf8(std::string_view gbk) {
  return GbkToDisplayUtf8(gbk);
}

Text OriginOrBuiltIn(const std::optional<std::string>& origin, Text builtIn) {
  return origin ? Utf8ToGbk(*origin) : builtIn;
}

/// The reader of one run. Members are declared so that the window, which joins the jobs, goes
/// before the state and the HTTP service the jobs use.
struct HeadlessReader {
  explicit HeadlessReader(const CommandLine& line)
      : reader{window, state, http, OriginOrBuiltIn(line.site1Origin, BuiltInSite1Origin()),
               OriginOrBuiltIn(line.site2Origin, BuiltInSite2Origin())} {
    // Without the program's folder the record would land in the file system's root.
    const std::string directory = ProgramDirectory();
    window.SetRunDirectory(directory.empty() ? "." : directory);
  }

  /// Fires on this thread, as the window thread would, then waits for every job it started.
  void Fire(Control control, Event event) {
    FireEvent(reader, control, event);
    window.WaitForJobs();
  }

  /// Appends a row to `list` with `text` in `column` (and `column0` in column 0) and selects it.
  void SelectRowHolding(Control list, int column, const Text& text,
                        const std::optional<Text>& column0 = std::nullopt) {
    const int row = window.InsertRow(list, column0);
    window.SetCell(list, row, column, text);
    window.SelectRow(list, row);
  }

  std::vector<ShownMessage> Messages() const {
    std::vector<ShownMessage> messages;
    for (const HeadlessToolkit::Message& message : window.Messages()) {
      messages.push_back({Utf8(message.title), Utf8(message.text)});
    }
    return messages;
  }

  std::vector<std::vector<std::string>> Rows(Control list) const {
    std::vector<std::vector<std::string>> rows;
    for (const std::vector<Text>& row : window.Table(list)) {
      std::vector<std::string>& cells = rows.emplace_back();
      for (const Text& cell : row) cells.push_back(Utf8(cell));
    }
    return rows;
  }

  ChapterOutcome Chapter() const {
    return {window.Page(),
            Utf8(window.Label(Control::透明标签_章节名称)),
            Utf8(window.Label(Control::编辑框1)),
            Utf8(state.prevChapterUrl()),
            Utf8(state.nextChapterUrl()),
            Messages()};
  }

  CurlHttpService http;
  ReaderState state;
  HeadlessToolkit window;
  Reader reader;
};

SearchOutcome Search(const CommandLine& line) {
  HeadlessReader run(line);
  run.window.SetChoice(line.site == 2 ? 1 : 0);
  run.window.SetText(Control::编辑框_书名, Utf8ToGbk(line.name));
  run.Fire(Control::按钮_搜索, Event::Clicked);
  return {run.window.Page(), run.Rows(Control::超级列表框1),
          Utf8(run.window.Caption(Control::按钮_搜索)), run.window.IsEnabled(Control::按钮_搜索),
          run.Messages()};
}

TocOutcome Toc(const CommandLine& line) {
  HeadlessReader run(line);
  run.state.setSite(line.site);
  run.SelectRowHolding(Control::超级列表框1, kBookUrlColumn, Utf8ToGbk(line.address),
                       Utf8ToGbk(line.name));
  run.Fire(Control::超级列表框1, Event::DoubleClicked);
  return {run.window.Page(), Utf8(run.window.Label(Control::透明标签_文章)),
          run.Rows(Control::超级列表框2), run.Messages()};
}

ChapterOutcome Read(const CommandLine& line) {
  HeadlessReader run(line);
  run.state.setSite(line.site);
  if (line.recordDirectory) run.window.SetRunDirectory(*line.recordDirectory);
  run.SelectRowHolding(Control::超级列表框2, kChapterUrlColumn, Utf8ToGbk(line.address));
  run.Fire(Control::超级列表框2, Event::DoubleClicked);
  return run.Chapter();
}

ChapterOutcome Nav(const CommandLine& line) {
  HeadlessReader run(line);
  run.state.setSite(line.site);
  const Text address = Utf8ToGbk(line.address);
  if (line.next) {
    run.state.setNextChapterUrl(address);
  } else {
    run.state.setPrevChapterUrl(address);
  }
  if (line.book) run.SelectRowHolding(Control::超级列表框1, kBookUrlColumn, Utf8ToGbk(*line.book));
  run.Fire(line.next ? Control::按钮_下一章 : Control::按钮_上一章, Event::Clicked);
  return run.Chapter();
}

FetchOutcome Fetch(const CommandLine& line) {
  const FetchArguments& f = line.fetch;
  Text cookies = Utf8ToGbk(f.cookies);
  Text responseCookies;
  Text responseHeaders;
  Text redirectLocation;
  Text statusText;
  Bytes responseBytes;

  WebAccessArgs args;
  args.url = Utf8ToGbk(f.url);
  args.method = f.method;
  args.bodyText = Utf8ToGbk(f.body);
  args.cookies = &cookies;
  args.responseCookies = &responseCookies;
  for (const std::string& header : f.headers) {
    if (!args.requestHeaders.empty()) args.requestHeaders += "\r\n";
    args.requestHeaders += Utf8ToGbk(header);
  }
  args.responseHeaders = &responseHeaders;
  args.disableRedirects = f.disableRedirects;
  args.userName = Utf8ToGbk(f.userName);
  args.password = Utf8ToGbk(f.password);
  args.proxy = Utf8ToGbk(f.proxy);
  args.timeoutSeconds = f.timeoutSeconds;
  args.redirectLocation = &redirectLocation;
  args.statusText = &statusText;
  args.responseBytes = &responseBytes;

  CurlHttpService http;
  const Text text = WebAccess(http, args);
  // The header block always holds its status line, so an empty one was never written: the
  // request stopped with one of the numbered messages.
  const bool succeeded = !responseHeaders.empty();
  return {Utf8(text),
          Utf8(statusText),
          Utf8(responseHeaders),
          Utf8(redirectLocation),
          Utf8(responseCookies),
          Utf8(cookies),
          responseBytes.size(),
          succeeded};
}

}  // namespace

CommandOutcome RunCommand(const CommandLine& line) {
  switch (line.command) {
    case CliCommand::Search:
      return Search(line);
    case CliCommand::Toc:
      return Toc(line);
    case CliCommand::Read:
      return Read(line);
    case CliCommand::Nav:
      return Nav(line);
    case CliCommand::Fetch:
      break;
  }
  return Fetch(line);
}

int ExitCodeOf(const CommandOutcome& outcome) {
  if (const auto* fetch = std::get_if<FetchOutcome>(&outcome)) return fetch->succeeded ? 0 : 1;
  const bool messageShown = std::visit(
      [](const auto& shown) {
        if constexpr (requires { shown.messages; }) {
          return !shown.messages.empty();
        } else {
          return false;
        }
      },
      outcome);
  return messageShown ? 1 : 0;
}

}  // namespace tevrin
