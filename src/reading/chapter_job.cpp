#include "reading/chapter_job.h"

#include <mutex>

#include "reading/chapter_cleaning.h"
#include "reading/chapter_page.h"
#include "app/job_support.h"
#include "reading/reading_record.h"

namespace tevrin {

namespace {

using Kind = ReaderState::Kind;

constexpr Control kChapters = Control::超级列表框2;
constexpr int kChapterUrlColumn = 2;

}  // namespace

void OnChapterListDoubleClicked(Reader& reader) {
  // Taken here on the window thread, so the last chapter clicked is the one that stays on show
  // however the job threads are scheduled.
  const auto ticket = reader.state.Begin(Kind::Chapter);
  reader.toolkit.StartJob([&reader, ticket](int) { ChapterJob(reader, ticket); }, 0);
}

void ChapterJob(Reader& reader) {
  ChapterJob(reader, reader.state.Begin(Kind::Chapter));
}

void ChapterJob(Reader& reader, std::uint64_t ticket) {
  static const Text paragraphBreak = Text(kLineBreak) + Text(kLineBreak);
  reader.toolkit.ShowPage(2);
  const Text url =
      reader.toolkit.ReadCell(kChapters, reader.toolkit.SelectedRow(kChapters), kChapterUrlColumn);
  const Text page = FetchPage(reader, url);
  if (page.empty()) {
    if (reader.state.IsCurrent(Kind::Chapter, ticket)) ShowFailureMessage(reader);
    return;
  }

  // Everything is taken apart before the lock, so the lock is held only for the writes, and the
  // site is read once, so title, text, addresses and record all follow the same site's rules.
  const int site = reader.state.site();
  const ChapterPage chapter = ReadChapterPage(page, site, reader.site2Origin, paragraphBreak);

  std::lock_guard lock(reader.state.WindowWrites(Kind::Chapter));
  if (!reader.state.IsCurrent(Kind::Chapter, ticket)) return;
  reader.toolkit.SetLabel(Control::透明标签_章节名称, chapter.title);
  WriteReadingRecord(reader.toolkit.RunDirectory(), url, site, chapter.title);
  reader.toolkit.SetText(Control::编辑框1, chapter.text);
  reader.state.setPrevChapterUrl(chapter.prevChapterUrl);
  reader.state.setNextChapterUrl(chapter.nextChapterUrl);
}

}  // namespace tevrin
