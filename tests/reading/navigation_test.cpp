#include "reading/navigation.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "reading/chapter_cleaning.h"
#include "reading_fixture.h"

namespace tevrin {
namespace {

struct Shown {
  Text title;
  Text text;
  Text prev;
  Text next;
  bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& shown, std::ostream* out) {
  *out << "{" << GbkToUtf8(shown.title) << " | " << shown.prev << " | " << shown.next << "}";
}

class NavigationTest : public ReadingTest {
 protected:
  Shown OnShow() const {
    return {Title(), ChapterText(), state_.prevChapterUrl(), state_.nextChapterUrl()};
  }

  /// Chapter `number` of book 1 as a navigation load shows it: paragraphs one line apart,
  /// neighbours as the page writes them (absolute on site 1, relative on site 2).
  Shown Loaded(int site, int number) const {
    const auto neighbour = [&](int other) {
      const std::string path = other < 1 || other > book_.chapterCount
                                   ? SampleBookPath(book_.id)
                                   : SampleChapterPath(book_.id, other);
      return site == 1 ? Origin(1) + path : path;
    };
    return {SampleChapterTitle(book_, number),
            site == 1 ? CleanSite1Chapter(Site1ChapterContent(book_, number), kLineBreak)
                      : CleanSite2Chapter(Site2ChapterContent(book_, number)),
            neighbour(number - 1), neighbour(number + 1)};
  }

  void OpenFromList(int site, int number) {
    ChooseBook(site, book_);
    OpenContents();
    OpenChapter(number);
  }

  void Click(Control button) { Fire(button, Event::Clicked); }

  const SampleBook& book_ = *FindSampleBook(1);
};

TEST_F(NavigationTest, NextAndPreviousMoveOneChapterAtATimeOnBothSites) {
  for (const int site : {1, 2}) {
    SCOPED_TRACE(site);
    OpenFromList(site, 1);
    const std::string record = Record();
    sites_.ClearRequests();
    for (int number = 2; number <= 4; ++number) {
      Click(Control::按钮_下一章);
      EXPECT_EQ(OnShow(), Loaded(site, number));
    }
    Click(Control::按钮_上一章);
    EXPECT_EQ(OnShow(), Loaded(site, 3));
    EXPECT_EQ(
        sites_.Requests(site),
        (std::vector<std::string>{SampleChapterPath(book_.id, 2), SampleChapterPath(book_.id, 3),
                                  SampleChapterPath(book_.id, 4), SampleChapterPath(book_.id, 3)}));
    // Navigation neither records nor turns the page.
    EXPECT_EQ(Record(), record);
    EXPECT_EQ(toolkit_.Page(), 2);
    EXPECT_TRUE(toolkit_.Messages().empty());
  }
}

TEST_F(NavigationTest, TheEndsOfTheBookAreReportedAndNothingIsLoaded) {
  struct Case {
    int site;
    int chapter;
    Control button;
    std::u8string_view message;
  };
  const Case cases[] = {
      {1, 1, Control::按钮_上一章, u8"已达第一章！！！没有更多内容了"},
      {1, 12, Control::按钮_下一章, u8"已达最后一章！！！没有更多内容了"},
      {2, 1, Control::按钮_上一章, u8"已达第一章！！！没有更多内容了"},
      {2, 12, Control::按钮_下一章, u8"已达最后一章！！！没有更多内容了"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "site " << c.site << ", chapter " << c.chapter);
    OpenFromList(c.site, c.chapter);
    const Shown before = OnShow();
    sites_.ClearRequests();
    toolkit_.ClearMessages();
    int pageWhileOpen = -1;
    toolkit_.SetMessageHook(
        [&](const HeadlessToolkit::Message&) { pageWhileOpen = toolkit_.Page(); });
    Click(c.button);
    toolkit_.SetMessageHook(nullptr);
    ASSERT_EQ(toolkit_.Messages().size(), 1u);
    EXPECT_EQ(toolkit_.Messages()[0].text, Gbk(c.message));
    EXPECT_EQ(toolkit_.Messages()[0].title, Gbk(u8"信息："));
    // The page turns to the contents once the box is closed.
    EXPECT_EQ(pageWhileOpen, 2);
    EXPECT_EQ(toolkit_.Page(), 1);
    EXPECT_EQ(OnShow(), before);
    EXPECT_TRUE(sites_.Requests(c.site).empty());
  }
}

TEST_F(NavigationTest, EmptyAddressesBeforeAnyChapter) {
  // With a book selected the empty address is loaded: it fails quietly and empties everything
  // but the indent.
  ChooseBook(1, book_);
  toolkit_.SetLabel(Control::透明标签_章节名称, "x");
  Click(Control::按钮_下一章);
  EXPECT_EQ(OnShow(), (Shown{"", "     ", "", ""}));
  EXPECT_TRUE(toolkit_.Messages().empty());
  EXPECT_EQ(toolkit_.Page(), 0);

  // Without one, the empty book address equals the empty chapter address: the end of the book.
  toolkit_.SelectRow(Control::超级列表框1, -1);
  Click(Control::按钮_上一章);
  ASSERT_EQ(toolkit_.Messages().size(), 1u);
  EXPECT_EQ(toolkit_.Messages()[0].text, Gbk(u8"已达第一章！！！没有更多内容了"));
  EXPECT_EQ(toolkit_.Page(), 1);
}

TEST(ResolveAgainstOriginTest, OnlyAddressesWithoutSchemeAreJoinedToTheOrigin) {
  struct Case {
    const char* url;
    const char* resolved;
  };
  const Case cases[] = {
      {"/book/1/2.html", "https://o.example/book/1/2.html"},
      {"book/1/2.html", "https://o.example/book/1/2.html"},
      {"https://x.example/a", "https://x.example/a"},
      {"HTTP://x.example/a", "HTTP://x.example/a"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    EXPECT_EQ(ResolveAgainstOrigin(c.url, "https://o.example"), c.resolved);
  }
}

/// A site-1 server for book 1 whose answer to one chosen target waits until released, so a
/// test can hold one load in the middle of its fetch.
class GatedSite1 {
 public:
  GatedSite1() : server_([this](const LoopbackHttpsServer::Request& r) { return Answer(r); }) {}
  ~GatedSite1() { Release(); }

  std::string Url(const std::string& path) const { return server_.origin() + path; }

  void Hold(std::string target) {
    std::lock_guard lock(mutex_);
    held_ = std::move(target);
  }
  void WaitUntilHeld() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return waiting_; });
  }
  void Release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  LoopbackHttpsServer::Response Answer(const LoopbackHttpsServer::Request& request) {
    {
      std::unique_lock lock(mutex_);
      if (request.target == held_) {
        waiting_ = true;
        changed_.notify_all();
        changed_.wait(lock, [&] { return released_; });
      }
    }
    const SampleBook& book = *FindSampleBook(1);
    LoopbackHttpsServer::Response response;
    response.status = 404;
    for (int number = 1; number <= book.chapterCount; ++number) {
      if (request.target == SampleChapterPath(book.id, number)) {
        response.status = 200;
        response.body = Site1ChapterPage(server_.origin(), book, number);
      }
    }
    return response;
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::string held_;
  bool waiting_ = false;
  bool released_ = false;
  LoopbackHttpsServer server_;
};

class OverlappingLoadsTest : public NavigationTest {
 protected:
  /// Book 1 of the gated site selected, chapter 5 selected in the contents, and the addresses
  /// left as chapter 1 leaves them.
  void SetUp() override {
    NavigationTest::SetUp();
    state_.setSite(1);
    const int book = toolkit_.InsertRow(Control::超级列表框1, book_.name);
    toolkit_.SetCell(Control::超级列表框1, book, 5, gated_.Url(SampleBookPath(book_.id)));
    toolkit_.SelectRow(Control::超级列表框1, book);
    const int chapter = toolkit_.InsertRow(Control::超级列表框2, Text("5"));
    toolkit_.SetCell(Control::超级列表框2, chapter, 2, gated_.Url(SampleChapterPath(book_.id, 5)));
    toolkit_.SelectRow(Control::超级列表框2, chapter);
    state_.setPrevChapterUrl(gated_.Url(SampleBookPath(book_.id)));
    state_.setNextChapterUrl(gated_.Url(SampleChapterPath(book_.id, 2)));
  }

  Shown GatedChapter(int number, std::string_view paragraphBreak) const {
    return {SampleChapterTitle(book_, number),
            CleanSite1Chapter(Site1ChapterContent(book_, number), paragraphBreak),
            gated_.Url(SampleChapterPath(book_.id, number - 1)),
            gated_.Url(SampleChapterPath(book_.id, number + 1))};
  }

  GatedSite1 gated_;
};

TEST_F(OverlappingLoadsTest, ANavigationDuringAChapterJobWinsWhole) {
  gated_.Hold(SampleChapterPath(book_.id, 5));
  FireEvent(reader_, Control::超级列表框2, Event::DoubleClicked);
  gated_.WaitUntilHeld();
  // Not Click(): that would wait for the held job.
  FireEvent(reader_, Control::按钮_下一章, Event::Clicked);
  gated_.Release();
  toolkit_.WaitForJobs();
  EXPECT_EQ(OnShow(), GatedChapter(2, kLineBreak));
  // The superseded job records nothing either.
  EXPECT_FALSE(std::filesystem::exists(ReadingRecordPath(directory_)));
}

TEST_F(OverlappingLoadsTest, AChapterJobDuringANavigationWinsWhole) {
  gated_.Hold(SampleChapterPath(book_.id, 2));
  // The window thread, stuck in the navigation's fetch.
  std::thread window([&] { FireEvent(reader_, Control::按钮_下一章, Event::Clicked); });
  gated_.WaitUntilHeld();
  Fire(Control::超级列表框2, Event::DoubleClicked);
  gated_.Release();
  window.join();
  EXPECT_EQ(OnShow(), GatedChapter(5, "\r\n\r\n"));
  EXPECT_EQ(Record(), RecordFile(gated_.Url(SampleChapterPath(book_.id, 5)), 1,
                                 SampleChapterTitle(book_, 5)));
}

TEST_F(OverlappingLoadsTest, ManyLoadsAtOnceLeaveOneChapterOnShow) {
  std::thread window([&] {
    for (int i = 0; i < 6; ++i) FireEvent(reader_, Control::按钮_下一章, Event::Clicked);
  });
  for (int i = 0; i < 6; ++i) FireEvent(reader_, Control::超级列表框2, Event::DoubleClicked);
  window.join();
  toolkit_.WaitForJobs();
  const Shown shown = OnShow();
  bool matches = false;
  // Each navigation moves on from whatever load came before it: at most six chapters past 5.
  for (int number = 2; number <= 11 && !matches; ++number) {
    matches = shown == GatedChapter(number, kLineBreak);
  }
  matches = matches || shown == GatedChapter(5, "\r\n\r\n");
  EXPECT_TRUE(matches) << testing::PrintToString(shown);
}

}  // namespace
}  // namespace tevrin
