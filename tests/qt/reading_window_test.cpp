#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "reading/chapter_cleaning.h"
#include "reading/reading_record.h"
#include "sample_reader_window.h"
#include "samples/catalogue.h"
#include "samples/sample_pages.h"
#include "text/code_page.h"
#include "text/text.h"

namespace tevrin {
namespace {

class ReadingWindowTest : public ::testing::Test, protected SampleReaderWindow {
 protected:
  std::string RecordPath() { return ReadingRecordPath(toolkit.RunDirectory()); }

  std::string Record() {
    std::ifstream in(RecordPath(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  struct Box {
    QString title;
    QString text;
  };

  /// Clicks `button` and answers the modal message box it opens with OK. A box shown on the
  /// window thread runs its own event loop inside the click, so a timer polls for it from there.
  std::optional<Box> ClickAndAcceptBox(Control button) {
    std::optional<Box> seen;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || box->button(QMessageBox::Ok) == nullptr) return;
      poll.stop();
      seen = Box{box->windowTitle(), box->text()};
      box->button(QMessageBox::Ok)->click();
    });
    poll.start();
    QTest::mouseClick(window.Widget(button), Qt::LeftButton);
    return seen;
  }
};

TEST_F(ReadingWindowTest, SearchContentsChapterNextPreviousAndFirstChapterOnBothSites) {
  const SampleBook& book = *FindSampleBook(1);
  // The edit box shows every line feed of a site-2 page as a line break of its own, so a lone LF
  // reads back as CR LF.
  const auto text = [&](int site, int number, std::string_view paragraphBreak) {
    return site == 1 ? CleanSite1Chapter(Site1ChapterContent(book, number), paragraphBreak)
                     : ReplaceAll(ReplaceAll(CleanSite2Chapter(Site2ChapterContent(book, number)),
                                             "\r\n", "\n"),
                                  "\n", "\r\n");
  };
  const QtRowModel& books = window.List(Control::超级列表框1)->rows();
  const QtRowModel& chapters = window.List(Control::超级列表框2)->rows();
  for (const int site : {1, 2}) {
    SCOPED_TRACE(site);
    const std::string origin = site == 1 ? sites.site1Origin() : sites.site2Origin();
    Search(site == 2 ? 1 : 0, SampleSearchKeywords().few);
    // The list may still hold the other site's books: wait for this site's addresses.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          return books.rowCount() == 3 && books.Cell(0, 5) == origin + SampleBookPath(book.id) &&
                 Idle(ReaderState::Kind::Search);
        },
        20000));

    DoubleClickRow(Control::超级列表框1, 0);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          return chapters.rowCount() == book.chapterCount &&
                 chapters.Cell(1, 2) == origin + SampleChapterPath(book.id, 2) &&
                 Idle(ReaderState::Kind::TableOfContents);
        },
        20000));
    EXPECT_EQ(window.Page(), 1);
    EXPECT_EQ(chapters.Cell(1, 1), SampleChapterTitle(book, 2));

    DoubleClickRow(Control::超级列表框2, 1);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Title() == SampleChapterTitle(book, 2) && Idle(ReaderState::Kind::Chapter); },
        20000));
    EXPECT_EQ(window.Page(), 2);
    EXPECT_EQ(toolkit.ReadText(Control::编辑框1), text(site, 2, "\r\n\r\n"));
    EXPECT_EQ(Record(), Gbk(u8"[阅读记录]\r\n文章记录=") + origin + SampleChapterPath(book.id, 2) +
                            Gbk(site == 1 ? u8"\r\n来源=笔趣阁\r\n章节名称="
                                          : u8"\r\n来源=顶点网\r\n章节名称=") +
                            SampleChapterTitle(book, 2) + "\r\n");

    // The buttons load on the window thread: the click returns with the chapter on show.
    QTest::mouseClick(window.Widget(Control::按钮_下一章), Qt::LeftButton);
    EXPECT_EQ(Title(), SampleChapterTitle(book, 3));
    EXPECT_EQ(toolkit.ReadText(Control::编辑框1), text(site, 3, kLineBreak));
    QTest::mouseClick(window.Widget(Control::按钮_上一章), Qt::LeftButton);
    QTest::mouseClick(window.Widget(Control::按钮_上一章), Qt::LeftButton);
    EXPECT_EQ(Title(), SampleChapterTitle(book, 1));
    EXPECT_EQ(toolkit.ReadText(Control::编辑框1), text(site, 1, kLineBreak));
    EXPECT_EQ(window.Page(), 2);

    // The first chapter links back to the book: a message instead of a page, then the contents.
    const Text prev = state.prevChapterUrl();
    const Text next = state.nextChapterUrl();
    const std::optional<Box> box = ClickAndAcceptBox(Control::按钮_上一章);
    ASSERT_TRUE(box.has_value()) << "no message box on the first chapter";
    EXPECT_EQ(box->title, QString::fromUtf8(u8"信息："));
    EXPECT_EQ(box->text, QString::fromUtf8(u8"已达第一章！！！没有更多内容了"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(window.Page(), 1);
    EXPECT_EQ(Title(), SampleChapterTitle(book, 1));
    EXPECT_EQ(toolkit.ReadText(Control::编辑框1), text(site, 1, kLineBreak));
    EXPECT_EQ(state.prevChapterUrl(), prev);
    EXPECT_EQ(state.nextChapterUrl(), next);
    EXPECT_FALSE(next.empty());
  }
}

}  // namespace
}  // namespace tevrin
