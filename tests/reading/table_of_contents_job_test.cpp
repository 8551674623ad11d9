#include "reading/table_of_contents_job.h"

#include <vector>

#include "reading_fixture.h"

namespace tevrin {
namespace {

using Rows = std::vector<std::vector<Text>>;

class TableOfContentsJobTest : public ReadingTest {
 protected:
  /// The contents a site lists for `book`: every chapter, numbered from 1, with its address.
  Rows ExpectedRows(int site, const SampleBook& book) const {
    Rows rows;
    for (int number = 1; number <= book.chapterCount; ++number) {
      rows.push_back({ToDecimal(number), SampleChapterTitle(book, number),
                      Origin(site) + SampleChapterPath(book.id, number)});
    }
    return rows;
  }

  Text BookLabel(const SampleBook& book) const { return Gbk(u8"《") + book.name + Gbk(u8"》"); }

  const SampleBook& book_ = *FindSampleBook(1);
};

TEST_F(TableOfContentsJobTest, Site1ListsEveryChapterOfTheBookPage) {
  ChooseBook(1, book_);
  OpenContents();
  EXPECT_EQ(toolkit_.Table(Control::超级列表框2), ExpectedRows(1, book_));
  EXPECT_EQ(toolkit_.Label(Control::透明标签_文章), BookLabel(book_));
  EXPECT_EQ(toolkit_.Page(), 1);
  EXPECT_TRUE(toolkit_.Messages().empty());
  EXPECT_EQ(sites_.Requests(1), std::vector<std::string>{SampleBookPath(book_.id)});
}

TEST_F(TableOfContentsJobTest, Site2FollowsTheFullIndexLinkAndListsOnlyAfterItsLastMarker) {
  ChooseBook(2, book_);
  OpenContents();
  // The index page starts with a teaser of the latest chapters; only the list after the last
  // "》无弹窗广告" counts, so every chapter appears once, in order.
  EXPECT_EQ(toolkit_.Table(Control::超级列表框2), ExpectedRows(2, book_));
  EXPECT_EQ(toolkit_.Label(Control::透明标签_文章), BookLabel(book_));
  EXPECT_EQ(sites_.Requests(2),
            (std::vector<std::string>{SampleBookPath(book_.id), Site2FullIndexPath(book_.id)}));
}

TEST_F(TableOfContentsJobTest, ChapterPatternOnHandWrittenPages) {
  struct Case {
    const char* name;
    int site;
    std::u8string_view page;
    Rows rows;
  };
  const std::string index = Site2FullIndexPath(book_.id);
  const std::string indexLink =
      "<a class=\"b-orange\" href=\"" + sites_.site2Origin() + index + "\">";
  const Text origin2 = sites_.site2Origin();
  const Case cases[] = {
      {"site 1: every <dd> link anywhere on the page, in page order",
       1,
       u8"<dd><a href=\"u1\">甲</a></dd><p>正文</p><dl><dd><a href=\"u2\" title=\"x\">乙</a></dd>",
       {{"1", Gbk(u8"甲"), "u1"}, {"2", Gbk(u8"乙"), "u2"}}},
      {"upper-case tags, attributes across lines, entities and blanks kept",
       1,
       u8"<DD><A HREF=\"u 1\"\r\n class=\"c\">第一章&nbsp; 起</A></DD>",
       {{"1", Gbk(u8"第一章&nbsp; 起"), "u 1"}}},
      {"site 2: links before the last marker give no row",
       2,
       u8"<dd><a href=\"/a\">早</a></dd>》无弹窗广告<dd><a href=\"/b\">中</a></dd>"
       u8"》无弹窗广告<dd><a href=\"/c\">晚</a></dd>",
       {{"1", Gbk(u8"晚"), origin2 + "/c"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sites_.ClearOverrides();
    toolkit_.DeleteAllRows(Control::超级列表框1);
    ChooseBook(c.site, book_);
    if (c.site == 1) {
      sites_.Override(1, SampleBookPath(book_.id), Page(Gbk(c.page)));
    } else {
      sites_.Override(2, SampleBookPath(book_.id), Page(indexLink + Gbk(u8"全文阅读</a>")));
      sites_.Override(2, index, Page(Gbk(c.page)));
    }
    OpenContents();
    EXPECT_EQ(toolkit_.Table(Control::超级列表框2), c.rows);
  }
}

TEST_F(TableOfContentsJobTest, NothingFoundShowsTheFailureMessageWithLabelAndPageKept) {
  struct Case {
    const char* name;
    int site;
    std::string bookPage;  // empty: the site's own page
    std::string indexPage;
  };
  const Case cases[] = {
      {"site 1 page without a chapter link", 1, "<html>nothing</html>", ""},
      {"site 2 book page without the full-index link", 2, "<html>nothing</html>", ""},
      {"site 2 index without the marker", 2, "", "<dd><a href=\"/book/1/1.html\">x</a></dd>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sites_.ClearOverrides();
    toolkit_.ClearMessages();
    toolkit_.DeleteAllRows(Control::超级列表框1);
    ChooseBook(c.site, book_);
    if (!c.bookPage.empty()) sites_.Override(c.site, SampleBookPath(book_.id), Page(c.bookPage));
    if (!c.indexPage.empty()) {
      sites_.Override(c.site, Site2FullIndexPath(book_.id), Page(c.indexPage));
    }
    OpenContents();
    EXPECT_EQ(toolkit_.Rows(Control::超级列表框2), 0);
    EXPECT_EQ(toolkit_.Label(Control::透明标签_文章), BookLabel(book_));
    EXPECT_EQ(toolkit_.Page(), 1);
    ASSERT_EQ(toolkit_.Messages().size(), 1u);
    EXPECT_EQ(toolkit_.Messages()[0].text, FailureText());
    EXPECT_EQ(toolkit_.Messages()[0].title, FailureTitle());
  }
}

TEST_F(TableOfContentsJobTest, WithoutASelectedBookTheListIsEmptiedAndTheFailureShown) {
  ChooseBook(1, book_);
  OpenContents();
  ASSERT_GT(toolkit_.Rows(Control::超级列表框2), 0);
  toolkit_.SelectRow(Control::超级列表框1, -1);
  int rowsWhileMessageOpen = -1;
  toolkit_.SetMessageHook([&](const HeadlessToolkit::Message&) {
    rowsWhileMessageOpen = toolkit_.Rows(Control::超级列表框2);
  });
  OpenContents();
  EXPECT_EQ(rowsWhileMessageOpen, 0);
  EXPECT_EQ(toolkit_.Rows(Control::超级列表框2), 0);
  EXPECT_EQ(toolkit_.Label(Control::透明标签_文章), Gbk(u8"《》"));
  ASSERT_EQ(toolkit_.Messages().size(), 1u);
  EXPECT_EQ(toolkit_.Messages()[0].title, FailureTitle());
}

TEST_F(TableOfContentsJobTest, TheSiteCodeIsReadWhenTheJobRuns) {
  // The book was listed by a site-1 search; choosing site 2 since then makes the job follow the
  // site-2 rules: no full-index link on a site-1 page, so nothing is found.
  ChooseBook(1, book_);
  state_.setSite(2);
  OpenContents();
  EXPECT_EQ(toolkit_.Rows(Control::超级列表框2), 0);
  EXPECT_EQ(toolkit_.Messages().size(), 1u);
}

TEST_F(TableOfContentsJobTest, ANewerJobSupersedesARunningOne) {
  const SampleBook& other = *FindSampleBook(3);
  ChooseBook(1, book_);
  ChooseBook(1, other);
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    toolkit_.SelectRow(Control::超级列表框1, 0);
    FireEvent(reader_, Control::超级列表框1, Event::DoubleClicked);
    toolkit_.SelectRow(Control::超级列表框1, 1);
    FireEvent(reader_, Control::超级列表框1, Event::DoubleClicked);
    toolkit_.WaitForJobs();
    // The older job may have read either selection, but it never adds a row once the newer
    // one has emptied the list.
    EXPECT_EQ(toolkit_.Table(Control::超级列表框2), ExpectedRows(1, other));
    EXPECT_EQ(toolkit_.Label(Control::透明标签_文章), BookLabel(other));
  }
}

}  // namespace
}  // namespace tevrin
