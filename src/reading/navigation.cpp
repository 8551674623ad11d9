#include "reading/navigation.h"

#include <optional>

#include "reading/chapter_cleaning.h"
#include "reading/chapter_page.h"
#include "app/job_support.h"
#include "text/code_page.h"

namespace tevrin {

namespace {

using Kind = ReaderState::Kind;

constexpr int kBookUrlColumn = 5;

bool HasScheme(const Text& url) {
  // RFC 3986, 3.1: scheme = ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ), then "://" here.
  const auto isAlpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (url.empty() || !isAlpha(url.front())) return false;
  for (std::size_t i = 1; i < url.size(); ++i) {
    const char c = url[i];
    if (c == ':') return url.compare(i, 3, "://") == 0;
    if (!isAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return false;
  }
  return false;
}

bool UsesSite2Rules(int site) {
  return site == 2;
}

void Load(Reader& reader, const Text& url, int site) {
  const auto ticket = reader.state.Begin(Kind::Chapter);
  const Text page = FetchPage(reader, url);
  const ChapterPage chapter =
      ReadChapterPage(page, UsesSite2Rules(site) ? 2 : 1, reader.site2Origin, kLineBreak);

  // Runs inside a click handler: blocking here could starve a job that holds the lock while it
  // waits for this thread to take its toolkit call.
  const auto lock = LockOnWindowThread(reader, Kind::Chapter);
  if (!reader.state.IsCurrent(Kind::Chapter, ticket)) return;
  reader.toolkit.SetLabel(Control::透明标签_章节名称, chapter.title);
  reader.toolkit.SetText(Control::编辑框1, chapter.text);
  reader.state.setPrevChapterUrl(chapter.prevChapterUrl);
  reader.state.setNextChapterUrl(chapter.nextChapterUrl);
}

void GoTo(Reader& reader, Text url, const Text& endOfBookMessage) {
  const Text bookUrl = reader.toolkit.ReadCell(
      Control::超级列表框1, reader.toolkit.SelectedRow(Control::超级列表框1), kBookUrlColumn);
  const int site = reader.state.site();
  // Site-2 pages link their neighbours relative to the site, while the book list holds absolute
  // addresses: both sides of the comparison have to be absolute.
  if (UsesSite2Rules(site)) url = ResolveAgainstOrigin(url, reader.site2Origin);
  if (url == bookUrl) {
    reader.toolkit.MessageBox(endOfBookMessage, std::nullopt);
    reader.toolkit.ShowPage(1);
    return;
  }
  Load(reader, url, site);
}

}  // namespace

Text ResolveAgainstOrigin(const Text& url, const Text& origin) {
  if (url.empty() || HasScheme(url)) return url;
  return url.front() == '/' ? origin + url : origin + "/" + url;
}

void OnPrevChapterClicked(Reader& reader) {
  static const Text message = Gbk(u8"已达第一章！！！没有更多内容了");
  GoTo(reader, reader.state.prevChapterUrl(), message);
}

void OnNextChapterClicked(Reader& reader) {
  static const Text message = Gbk(u8"已达最后一章！！！没有更多内容了");
  GoTo(reader, reader.state.nextChapterUrl(), message);
}

void LoadChapterAt(Reader& reader, const Text& url) {
  const int site = reader.state.site();
  Load(reader, UsesSite2Rules(site) ? ResolveAgainstOrigin(url, reader.site2Origin) : url, site);
}

}  // namespace tevrin
