#include "reading/table_of_contents_job.h"

#include <functional>
#include <mutex>
#include <vector>

#include "app/job_support.h"
#include "text/code_page.h"
#include "text/markers.h"
#include "text/regex_object.h"

namespace tevrin {

namespace {

using Kind = ReaderState::Kind;

constexpr Control kBooks = Control::超级列表框1;
constexpr Control kChapters = Control::超级列表框2;
constexpr int kBookNameColumn = 0;
constexpr int kBookUrlColumn = 5;

bool WriteIfCurrent(Reader& reader, std::uint64_t ticket, const std::function<void()>& write) {
  return tevrin::WriteIfCurrent(reader, Kind::TableOfContents, ticket, write);
}

struct ChapterRow {
  Text title;
  Text url;
};

/// The chapter links of an index page, in page order.
std::vector<ChapterRow> ChapterRows(const Text& index, bool site1, const Text& site2Origin) {
  static const Text pattern = R"re(<dd><a href="(.*?)"[\s|\S]*?>(.*?)</a></dd>)re";
  RegexObject regex;
  regex.Execute(pattern, index);
  std::vector<ChapterRow> rows;
  const int count = regex.MatchCount();
  rows.reserve(static_cast<std::size_t>(count));
  for (int match = 1; match <= count; ++match) {
    Text url = regex.GroupText(match, 1);
    if (!site1) url = site2Origin + url;
    rows.push_back({regex.GroupText(match, 2), std::move(url)});
  }
  return rows;
}

}  // namespace

void OnBookListDoubleClicked(Reader& reader) {
  std::uint64_t ticket = 0;
  {
    // Emptying the list and superseding the running job happen as one step, so no row of the
    // older job can land in the emptied list.
    const auto lock = LockOnWindowThread(reader, Kind::TableOfContents);
    ticket = reader.state.Begin(Kind::TableOfContents);
    reader.toolkit.DeleteAllRows(kChapters);
  }
  reader.toolkit.StartJob([&reader, ticket](int) { TableOfContentsJob(reader, ticket); }, 0);
}

void TableOfContentsJob(Reader& reader) {
  TableOfContentsJob(reader, reader.state.Begin(Kind::TableOfContents));
}

void TableOfContentsJob(Reader& reader, std::uint64_t ticket) {
  static const Text opening = Gbk(u8"《");
  static const Text closing = Gbk(u8"》");
  static const Text fullIndexStart = R"("b-orange" href=")";
  static const Text fullIndexEnd = Gbk(u8R"(">全文阅读)");
  static const Text listMarker = Gbk(u8"》无弹窗广告");

  const Text bookUrl =
      reader.toolkit.ReadCell(kBooks, reader.toolkit.SelectedRow(kBooks), kBookUrlColumn);
  if (!WriteIfCurrent(reader, ticket, [&] { reader.toolkit.ShowPage(1); })) return;
  Text page = FetchPage(reader, bookUrl);

  const Text bookName =
      reader.toolkit.ReadCell(kBooks, reader.toolkit.SelectedRow(kBooks), kBookNameColumn);
  if (!WriteIfCurrent(reader, ticket, [&] {
        reader.toolkit.SetLabel(Control::透明标签_文章, opening + bookName + closing);
      })) {
    return;
  }

  // Read once, so the whole list follows the rules of one site.
  const bool site1 = reader.state.site() == 1;
  if (!site1) {
    // The book page only links to the full index; that link is followed as written.
    page = FetchPage(reader, TextBetween(page, fullIndexStart, fullIndexEnd));
    // Links before the last marker are teasers of the latest chapters, not the list itself.
    page = TextAfterLast(page, listMarker);
  }

  const std::vector<ChapterRow> rows = ChapterRows(page, site1, reader.site2Origin);
  if (rows.empty()) {
    if (reader.state.IsCurrent(Kind::TableOfContents, ticket)) ShowFailureMessage(reader);
    return;
  }
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const bool written = WriteIfCurrent(reader, ticket, [&] {
      const int row = reader.toolkit.InsertRow(kChapters, ToDecimal(static_cast<long long>(i + 1)));
      reader.toolkit.SetCell(kChapters, row, 1, rows[i].title);
      reader.toolkit.SetCell(kChapters, row, 2, rows[i].url);
    });
    if (!written) return;
  }
}

}  // namespace tevrin
