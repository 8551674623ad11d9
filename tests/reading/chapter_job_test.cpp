#include "reading/chapter_job.h"

#include "reading/chapter_cleaning.h"
#include "reading_fixture.h"

namespace tevrin {
namespace {

class ChapterJobTest : public ReadingTest {
 protected:
  /// Lists the contents of book 1 on `site` (12 chapters).
  void ListContents(int site) {
    ChooseBook(site, book_);
    OpenContents();
    ASSERT_EQ(toolkit_.Rows(Control::超级列表框2), book_.chapterCount);
    toolkit_.ShowPage(0);
  }

  Text ChapterUrl(int site, int number) const {
    return Origin(site) + SampleChapterPath(book_.id, number);
  }

  const SampleBook& book_ = *FindSampleBook(1);
};

TEST_F(ChapterJobTest, Site1ShowsTitleAndTextKeepsNeighboursAndRecordsTheChapter) {
  ListContents(1);
  OpenChapter(2);
  EXPECT_EQ(toolkit_.Page(), 2);
  EXPECT_EQ(Title(), SampleChapterTitle(book_, 2));
  EXPECT_EQ(ChapterText(), CleanSite1Chapter(Site1ChapterContent(book_, 2), "\r\n\r\n"));
  EXPECT_EQ(state_.prevChapterUrl(), ChapterUrl(1, 1));
  EXPECT_EQ(state_.nextChapterUrl(), ChapterUrl(1, 3));
  EXPECT_EQ(Record(), RecordFile(ChapterUrl(1, 2), 1, SampleChapterTitle(book_, 2)));
  EXPECT_TRUE(toolkit_.Messages().empty());

  // A second chapter replaces the first everywhere, the record included.
  OpenChapter(3);
  EXPECT_EQ(Title(), SampleChapterTitle(book_, 3));
  EXPECT_EQ(state_.nextChapterUrl(), ChapterUrl(1, 4));
  EXPECT_EQ(Record(), RecordFile(ChapterUrl(1, 3), 1, SampleChapterTitle(book_, 3)));
}

TEST_F(ChapterJobTest, Site2ShowsTitleAndTextAndKeepsTheNeighboursRelative) {
  ListContents(2);
  OpenChapter(12);
  EXPECT_EQ(Title(), SampleChapterTitle(book_, 12));
  EXPECT_EQ(ChapterText(), CleanSite2Chapter(Site2ChapterContent(book_, 12)));
  EXPECT_EQ(state_.prevChapterUrl(), SampleChapterPath(book_.id, 11));
  // The last chapter's next link leads back to the book.
  EXPECT_EQ(state_.nextChapterUrl(), SampleBookPath(book_.id));
  EXPECT_EQ(Record(), RecordFile(ChapterUrl(2, 12), 2, SampleChapterTitle(book_, 12)));
}

TEST_F(ChapterJobTest, HandWrittenPagesOfBothSites) {
  struct Case {
    const char* name;
    int site;
    std::u8string_view page;
    std::u8string_view title;
    std::u8string_view text;
  };
  const Case cases[] = {
      {"site 1: two paragraphs, indent of five, inner blank gone, empty line after each", 1,
       u8"<h1>第2章 旧 &amp; <b>新</b></h1><div id=\"content\"><p>山 高</p><p>水长</p></div>",
       u8"第2章 旧 &amp; <b>新</b>", u8"     山高\r\n\r\n     水长\r\n\r\n"},
      {"site 2: words run together, &nbsp; in any case, both break tags", 2,
       u8"<h1>第2章</h1><div id=\"BookText\">one two&NBSP;三<br />四<br/>五&nbsp;</div>", u8"第2章",
       u8"onetwo 三\r\n四\r\n五 "},
      {"a page without title or text markers", 1, u8"<html>维护中</html>", u8"", u8"     "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ListContents(c.site);
    sites_.Override(c.site, SampleChapterPath(book_.id, 2), Page(Gbk(c.page)));
    OpenChapter(2);
    EXPECT_EQ(Title(), Gbk(c.title));
    EXPECT_EQ(ChapterText(), Gbk(c.text));
    EXPECT_EQ(state_.prevChapterUrl(), "");
    EXPECT_EQ(state_.nextChapterUrl(), "");
    // The title goes into the record as it was found, also when there is none.
    EXPECT_EQ(Record(), RecordFile(ChapterUrl(c.site, 2), c.site, Gbk(c.title)));
    sites_.ClearOverrides();
  }
}

TEST_F(ChapterJobTest, AnEmptyPageShowsTheFailureAndChangesNothingElse) {
  ListContents(1);
  OpenChapter(2);
  const std::string record = Record();
  const Text title = Title();
  const Text text = ChapterText();
  struct Case {
    const char* name;
    int row;  // -1: none selected
  };
  sites_.Override(1, SampleChapterPath(book_.id, 3), Page(""));
  for (const Case& c : {Case{"empty page", 3}, Case{"no chapter selected", -1}}) {
    SCOPED_TRACE(c.name);
    toolkit_.ClearMessages();
    toolkit_.ShowPage(0);
    if (c.row < 0) {
      toolkit_.SelectRow(Control::超级列表框2, -1);
      Fire(Control::超级列表框2, Event::DoubleClicked);
    } else {
      OpenChapter(c.row);
    }
    EXPECT_EQ(toolkit_.Page(), 2);
    ASSERT_EQ(toolkit_.Messages().size(), 1u);
    EXPECT_EQ(toolkit_.Messages()[0].text, FailureText());
    EXPECT_EQ(toolkit_.Messages()[0].title, FailureTitle());
    EXPECT_EQ(Title(), title);
    EXPECT_EQ(ChapterText(), text);
    EXPECT_EQ(state_.prevChapterUrl(), ChapterUrl(1, 1));
    EXPECT_EQ(state_.nextChapterUrl(), ChapterUrl(1, 3));
    EXPECT_EQ(Record(), record);
  }
}

TEST_F(ChapterJobTest, TheSourceFollowsTheSiteCodeAtLoadTime) {
  ListContents(1);
  state_.setSite(2);
  OpenChapter(1);
  // A site-1 page read by the site-2 rules: the title is found, the rest is not.
  EXPECT_EQ(Record(), RecordFile(ChapterUrl(1, 1), 2, SampleChapterTitle(book_, 1)));
  EXPECT_EQ(ChapterText(), "");
}

TEST_F(ChapterJobTest, ARecordThatCannotBeWrittenIsSkippedAndTheChapterStillShown) {
  ListContents(1);
  toolkit_.SetRunDirectory(directory_ + "/missing");
  OpenChapter(4);
  EXPECT_EQ(Title(), SampleChapterTitle(book_, 4));
  EXPECT_EQ(state_.nextChapterUrl(), ChapterUrl(1, 5));
  EXPECT_FALSE(std::filesystem::exists(directory_ + "/missing"));
  EXPECT_TRUE(toolkit_.Messages().empty());
}

}  // namespace
}  // namespace tevrin
