#include "search/search_job.h"

#include <array>
#include <functional>
#include <optional>

#include "app/job_support.h"
#include "search/keep_gb2312_hanzi.h"
#include "text/code_page.h"
#include "text/regex_object.h"

namespace tevrin {

namespace {

using Kind = ReaderState::Kind;

constexpr int kLastSite2Page = 5;
constexpr int kRequestTimeoutSeconds = 10;
constexpr Control kButton = Control::按钮_搜索;
constexpr Control kList = Control::超级列表框1;

const Text& Site1Pattern() {
  static const Text pattern = Gbk(
      u8R"re(<td class="odd"><a href="(.*?)"[\s|\S]*?>(.*?)</a></td>[\s|\S]*?target="_blank">(.*?)</a></td>[\s|\S]*?<td class="odd">(.*?)</td>[\s|\S]*?align="center">(.*?)</td>[\s|\S]*?align="center">(.*?)</td>)re");
  return pattern;
}

const Text& Site2Pattern() {
  static const Text pattern = Gbk(
      u8R"re(<h3><a href="(.*?)"[\s|\S]*?color:red;">(.*?)</a></h3>[\s|\S]*?<p>作者：<i>(.*?)</i>[\s|\S]*?状态：<i>(.*?)</i>[\s|\S]*?">(.*?)</a>[\s|\S]*?更新时间：<i>(.*?)</i></p>)re");
  return pattern;
}

bool WriteIfCurrent(Reader& reader, std::uint64_t ticket, const std::function<void()>& write) {
  return tevrin::WriteIfCurrent(reader, Kind::Search, ticket, write);
}

/// Writes one row per match, column 0 to 5; false once the search has been superseded.
bool WriteRows(Reader& reader, std::uint64_t ticket, const RegexObject& regex, int site) {
  const int count = regex.MatchCount();
  for (int match = 1; match <= count; ++match) {
    std::array<Text, 6> cells;
    if (site == 1) {
      cells[0] = regex.GroupText(match, 2);
      cells[1] = regex.GroupText(match, 3);
      cells[2] = regex.GroupText(match, 4);
      cells[3] = regex.GroupText(match, 5);
      cells[4] = regex.GroupText(match, 6);
      cells[5] = regex.GroupText(match, 1);
    } else {
      cells[0] = KeepGb2312Hanzi(regex.GroupText(match, 2));
      cells[1] = regex.GroupText(match, 5);
      cells[2] = regex.GroupText(match, 3);
      cells[3] = regex.GroupText(match, 6);
      cells[4] = regex.GroupText(match, 4);
      cells[5] = reader.site2Origin + regex.GroupText(match, 1);
    }
    const bool written = WriteIfCurrent(reader, ticket, [&] {
      const int row = reader.toolkit.InsertRow(kList, std::nullopt);
      for (std::size_t column = 0; column < cells.size(); ++column) {
        reader.toolkit.SetCell(kList, row, static_cast<int>(column), cells[column]);
      }
    });
    if (!written) return false;
  }
  return true;
}

/// The failure message, unless a newer search has taken over the window. The write lock is not
/// held while the box is open: the newer search must not wait for the user.
void ShowFailure(Reader& reader, std::uint64_t ticket) {
  if (reader.state.IsCurrent(Kind::Search, ticket)) ShowFailureMessage(reader);
}

/// Fetches and lists the results; stops early once the search has been superseded.
void ListResults(Reader& reader, int site, std::uint64_t ticket) {
  RegexObject regex;
  if (site == 1) {
    const Text page = FetchPage(reader, reader.state.searchUrl(), kRequestTimeoutSeconds);
    regex.Execute(Site1Pattern(), page);
    if (regex.MatchCount() == 0) {
      ShowFailure(reader, ticket);
      return;
    }
    WriteRows(reader, ticket, regex, site);
    return;
  }
  static const Text pageParameter = "&page=";
  for (int page = 1; page <= kLastSite2Page; ++page) {
    if (!reader.state.IsCurrent(Kind::Search, ticket)) return;
    // Read anew for every page: the address belongs to ReaderState, not to this job.
    const Text text = FetchPage(reader, reader.state.searchUrl() + pageParameter + ToDecimal(page),
                                kRequestTimeoutSeconds);
    regex.Execute(Site2Pattern(), text);
    if (regex.MatchCount() == 0) {
      if (page == 1) ShowFailure(reader, ticket);
      return;
    }
    if (!WriteRows(reader, ticket, regex, site)) return;
  }
}

}  // namespace

void SearchJob(Reader& reader, int site) {
  SearchJob(reader, site, reader.state.Begin(Kind::Search));
}

void SearchJob(Reader& reader, int site, std::uint64_t ticket) {
  static const Text busyCaption = Gbk(u8"正在搜索中。。。");
  static const Text idleCaption = Gbk(u8"搜索资源");
  const bool started = WriteIfCurrent(reader, ticket, [&] {
    reader.toolkit.Enable(kButton, false);
    reader.toolkit.SetCaption(kButton, busyCaption);
    reader.toolkit.DeleteAllRows(kList);
  });
  if (!started) return;
  ListResults(reader, site, ticket);
  // Once superseded, the button belongs to the newer search, which restores it when it ends.
  WriteIfCurrent(reader, ticket, [&] {
    reader.toolkit.Enable(kButton, true);
    reader.toolkit.SetCaption(kButton, idleCaption);
  });
}

}  // namespace tevrin
