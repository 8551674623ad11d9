#include "search/search_job.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/event_table.h"
#include "app/headless_toolkit.h"
#include "app/reader_state.h"
#include "samples/catalogue.h"
#include "samples/loopback_https_server.h"
#include "samples/sample_pages.h"
#include "samples/sample_sites.h"
#include "search/keep_gb2312_hanzi.h"
#include "text/code_page.h"
#include "web/curl_http_service.h"

namespace tevrin {
namespace {

using Rows = std::vector<std::vector<Text>>;
using Kind = ReaderState::Kind;

constexpr char kSite1Search[] = "/modules/article/search.php?searchkey=";
constexpr char kSite2Search[] = "/search.html?keyword=";

const Text& Busy() {
  static const Text caption = Gbk(u8"正在搜索中。。。");
  return caption;
}

const Text& Idle() {
  static const Text caption = Gbk(u8"搜索资源");
  return caption;
}

const Text& FailureText() {
  static const Text text = Gbk(u8"未获取到对应资源，请检查您的网络配置是否正常！！！");
  return text;
}

const Text& FailureTitle() {
  static const Text title = Gbk(u8"Keldan小说-温馨提醒：");
  return title;
}

/// The rows a search of the sample catalogue must give, at most `limit` of them, computed from
/// the catalogue rather than from the pages.
Rows ExpectedRows(int site, const Text& keyword, const std::string& origin,
                  std::size_t limit = 1000) {
  Rows rows;
  for (const SampleBook* book : SampleBooksNamed(keyword)) {
    if (rows.size() == limit) break;
    const Text latest = SampleChapterTitle(*book, book->chapterCount);
    const Text address = origin + SampleBookPath(book->id);
    if (site == 1) {
      rows.push_back({book->name, latest, book->author, book->updated, book->status, address});
    } else {
      rows.push_back({KeepGb2312Hanzi(book->name), latest, book->author, book->updated,
                      book->status, address});
    }
  }
  return rows;
}

std::vector<std::string> Site2Pages(const Text& keyword, int last) {
  std::vector<std::string> targets;
  for (int page = 1; page <= last; ++page) {
    targets.push_back(kSite2Search + PercentEncode(keyword) + "&page=" + std::to_string(page));
  }
  return targets;
}

/// An origin nothing listens on: a server's port, right after the server has stopped.
std::string ClosedOrigin() {
  LoopbackHttpsServer server(
      [](const LoopbackHttpsServer::Request&) { return LoopbackHttpsServer::Response{}; });
  return server.origin();
}

/// What the window showed while a message box was open.
struct Moment {
  bool enabled;
  Text caption;
  int rows;
};

class SearchJobTest : public ::testing::Test {
 protected:
  SearchJobTest() {
    window.SetMessageHook([this](const HeadlessToolkit::Message&) {
      std::lock_guard lock(momentsMutex);
      moments.push_back({window.IsEnabled(Control::按钮_搜索), window.Caption(Control::按钮_搜索),
                         window.Rows(Control::超级列表框1)});
    });
  }

  /// Types `name`, chooses `choice` in 组合框1 and clicks 按钮_搜索, as the user would.
  void Click(const Text& name, int choice, Reader& on) {
    window.SetText(Control::编辑框_书名, name);
    window.SetChoice(choice);
    FireEvent(on, Control::按钮_搜索, Event::Clicked);
  }

  void Search(const Text& name, int choice) {
    Click(name, choice, reader);
    window.WaitForJobs();
  }

  void ExpectIdleButton() {
    EXPECT_TRUE(window.IsEnabled(Control::按钮_搜索));
    EXPECT_EQ(window.Caption(Control::按钮_搜索), Idle());
  }

  const SampleKeywords& keywords = SampleSearchKeywords();
  SampleSites sites;
  ReaderState state;
  CurlHttpService http;
  std::mutex momentsMutex;
  std::vector<Moment> moments;
  // Last but one: its destructor joins the jobs before anything they use goes away.
  HeadlessToolkit window;
  Reader reader{window, state, http, sites.site1Origin(), sites.site2Origin()};
};

TEST_F(SearchJobTest, Site1ListsEveryResultOfItsOnlyPage) {
  for (const Text& keyword : {keywords.few, keywords.fourteen}) {
    SCOPED_TRACE(GbkToUtf8(keyword));
    sites.ClearRequests();
    window.InsertRow(Control::超级列表框1, Text("stale"));
    Search(keyword, 0);
    const Rows expected = ExpectedRows(1, keyword, sites.site1Origin());
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(window.Table(Control::超级列表框1), expected);
    EXPECT_EQ(sites.Requests(1), std::vector<std::string>{kSite1Search + PercentEncode(keyword)});
    EXPECT_TRUE(sites.Requests(2).empty());
    EXPECT_TRUE(window.Messages().empty());
    ExpectIdleButton();
  }
}

TEST_F(SearchJobTest, Site2ReadsPagesUntilOneIsEmptyAndAtMostFive) {
  struct Case {
    const char* name;
    Text keyword;
    std::size_t rows;
    int pages;
  };
  const Case cases[] = {
      {"3 results, page 2 empty", keywords.few, 3, 2},
      {"10 and 4, page 3 empty", keywords.fourteen, 14, 3},
      {"five full pages, sixth never asked", keywords.many, 50, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sites.ClearRequests();
    Search(c.keyword, 1);
    const Rows expected = ExpectedRows(2, c.keyword, sites.site2Origin(), c.rows);
    ASSERT_EQ(expected.size(), c.rows);
    EXPECT_EQ(window.Table(Control::超级列表框1), expected);
    EXPECT_EQ(sites.Requests(2), Site2Pages(c.keyword, c.pages));
    EXPECT_TRUE(sites.Requests(1).empty());
    EXPECT_TRUE(window.Messages().empty());
    ExpectIdleButton();
  }
}

TEST_F(SearchJobTest, FailureMessageWhenTheFirstPageHasNoResult) {
  const std::string closed = ClosedOrigin();
  const Text few = keywords.few;
  struct Case {
    const char* name;
    int choice;
    Text keyword;
    std::function<void()> arrange;
    bool reachable;
  };
  const std::string site1Target = kSite1Search + PercentEncode(few);
  const std::string site2Target = Site2Pages(few, 1)[0];
  const Case cases[] = {
      {"site 1 finds nothing", 0, keywords.none, [] {}, true},
      {"site 2 finds nothing", 1, keywords.none, [] {}, true},
      {"site 1 page without the result markup", 0, few,
       [&] {
         sites.Override(1, site1Target, {200, "text/html", "<html>busy</html>", {}});
       },
       true},
      {"site 2 error page", 1, few,
       [&] {
         sites.Override(2, site2Target, {500, "text/html", "<h3>oops</h3>", {}});
       },
       true},
      {"site 1 unreachable", 0, few, [] {}, false},
      {"site 2 unreachable", 1, few, [] {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sites.ClearRequests();
    sites.ClearOverrides();
    window.ClearMessages();
    moments.clear();
    c.arrange();
    Reader on{window, state, http, c.reachable ? sites.site1Origin() : closed,
              c.reachable ? sites.site2Origin() : closed};
    window.InsertRow(Control::超级列表框1, Text("stale"));
    Click(c.keyword, c.choice, on);
    window.WaitForJobs();

    const auto messages = window.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, FailureText());
    EXPECT_EQ(messages[0].title, FailureTitle());
    ASSERT_EQ(moments.size(), 1u);
    EXPECT_FALSE(moments[0].enabled) << "the button stays busy while the message is open";
    EXPECT_EQ(moments[0].caption, Busy());
    EXPECT_EQ(moments[0].rows, 0);
    EXPECT_EQ(window.Rows(Control::超级列表框1), 0);
    ExpectIdleButton();
    if (c.reachable) {
      const int site = c.choice == 1 ? 2 : 1;
      EXPECT_EQ(sites.Requests(site).size(), 1u) << "no page after a failed first page";
    }
  }
}

TEST_F(SearchJobTest, CellsKeepMarkupBlanksAndEntitiesExceptTheSite2Title) {
  const Text few = keywords.few;
  const Text site1Page =
      Gbk(u8"<tr><td class=\"odd\"><a href=\"/b/1/\">  &amp;<b>名</b> </a></td>\n"
          u8"<td class=\"even\"><a href=\"/b/1/9.html\" target=\"_blank\"> "
          u8"第9章&nbsp;<i>终</i></a></td>\n"
          u8"<td class=\"odd\"> 甲&lt;乙&gt; </td>\n"
          u8"<td class=\"even\" align=\"center\"> 24-01-02 </td>\n"
          u8"<td class=\"odd\" align=\"center\"><span>连载</span></td></tr>\n");
  const Text site2Page =
      Gbk(u8"<h3><a href=\"/b/2/\" target=\"_blank\"><span style=\"color:red;\"> 星<em>河</em>2 "
          u8"</span></a></h3>\n"
          u8"<p>作者：<i> 乙&amp;丙 </i></p>\n<p>状态：<i><b>全本</b></i></p>\n"
          u8"<p>最新：<a href=\"/b/2/3.html\" target=\"_blank\"> 第3章&nbsp;归 </a></p>\n"
          u8"<p>更新时间：<i> 24-05-06 </i></p>\n");
  sites.Override(1, kSite1Search + PercentEncode(few), {200, "text/html", site1Page, {}});
  sites.Override(2, Site2Pages(few, 1)[0], {200, "text/html", site2Page, {}});
  struct Case {
    const char* name;
    int choice;
    std::vector<const char8_t*> row;
    std::string linkOrigin;
  };
  const Case cases[] = {
      {"site 1",
       0,
       {u8"  &amp;<b>名</b> ", u8" 第9章&nbsp;<i>终</i>", u8" 甲&lt;乙&gt; ", u8" 24-01-02 ",
        u8"<span>连载</span>", u8"/b/1/"},
       ""},
      {"site 2",
       1,
       {u8"星河", u8" 第3章&nbsp;归 ", u8" 乙&amp;丙 ", u8" 24-05-06 ", u8"<b>全本</b>", u8"/b/2/"},
       sites.site2Origin()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Search(few, c.choice);
    std::vector<Text> expected;
    for (const char8_t* cell : c.row) expected.push_back(Gbk(cell));
    expected[5] = c.linkOrigin + expected[5];
    EXPECT_EQ(window.Table(Control::超级列表框1), Rows{expected});
  }
}

TEST_F(SearchJobTest, ClickBuildsTheAddressFromTheNameAsTypedAndTheChosenSite) {
  struct Case {
    const char* name;
    int choice;
    Text bookName;
    int site;
    std::string encoded;
  };
  const Case cases[] = {
      {"Chinese name on site 2, upper-case UTF-8 escapes", 1, Gbk(u8"星河"), 2,
       "%E6%98%9F%E6%B2%B3"},
      {"blanks kept, not trimmed, not plus signs", 0, Text(" a b "), 1, "%20%61%20%62%20"},
      {"empty name gives the bare prefix", 0, Text(), 1, ""},
      {"nothing chosen counts as site 1", -1, Text("x"), 1, "%78"},
      {"empty name on site 2", 1, Text(), 2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sites.ClearRequests();
    window.ShowPage(2);
    const int jobs = window.JobsStarted();
    Click(c.bookName, c.choice, reader);
    EXPECT_EQ(window.Page(), 0);
    EXPECT_EQ(state.site(), c.site);
    const std::string origin = c.site == 1 ? sites.site1Origin() : sites.site2Origin();
    const std::string path = (c.site == 1 ? kSite1Search : kSite2Search) + c.encoded;
    EXPECT_EQ(state.searchUrl(), origin + path);
    window.WaitForJobs();
    EXPECT_EQ(window.JobsStarted(), jobs + 1);
    const auto requests = sites.Requests(c.site);
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0], c.site == 1 ? path : path + "&page=1");
    EXPECT_TRUE(sites.Requests(c.site == 1 ? 2 : 1).empty());
  }
}

TEST_F(SearchJobTest, BackToBackSearchesLeaveOnlyTheLastOnesRows) {
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    Click(keywords.many, 1, reader);
    Click(keywords.few, 0, reader);
    window.WaitForJobs();
    EXPECT_EQ(window.Table(Control::超级列表框1),
              ExpectedRows(1, keywords.few, sites.site1Origin()));
    EXPECT_TRUE(window.Messages().empty());
    ExpectIdleButton();
  }
}

/// Site 2's search pages on a server of the test's own, where a page can be held back until
/// the test lets it go and asking for a page can run a step of the test, so two searches can
/// be interleaved at chosen points.
class ScriptedSite2 {
 public:
  using Request = LoopbackHttpsServer::Request;
  using Response = LoopbackHttpsServer::Response;

  ScriptedSite2() : server_([this](const Request& request) { return Answer(request); }) {}
  ~ScriptedSite2() { ReleaseAll(); }

  std::string origin() const { return server_.origin(); }
  std::vector<std::string> Requests() const { return server_.Requests(); }
  void ClearRequests() { server_.ClearRequests(); }

  void Hold(const std::string& target) {
    std::lock_guard lock(mutex_);
    held_.insert(target);
  }
  void OnAsked(const std::string& target, std::function<void()> step) {
    std::lock_guard lock(mutex_);
    steps_[target] = std::move(step);
  }
  /// Waits until `target` has been asked for and is being held; false after a generous time.
  bool WaitUntilHeld(const std::string& target) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(30),
                             [&] { return waiting_.count(target) > 0; });
  }
  void Release(const std::string& target) {
    std::lock_guard lock(mutex_);
    held_.erase(target);
    changed_.notify_all();
  }
  void ReleaseAll() {
    std::lock_guard lock(mutex_);
    held_.clear();
    changed_.notify_all();
  }

 private:
  Response Answer(const Request& request) {
    std::function<void()> step;
    {
      std::unique_lock lock(mutex_);
      if (held_.count(request.target) > 0) {
        waiting_.insert(request.target);
        changed_.notify_all();
        changed_.wait(lock, [&] { return held_.count(request.target) == 0; });
        waiting_.erase(request.target);
      }
      if (auto found = steps_.find(request.target); found != steps_.end()) step = found->second;
    }
    if (step) step();
    const SampleKeywords& keywords = SampleSearchKeywords();
    for (const Text& keyword : {keywords.few, keywords.fourteen, keywords.many, keywords.none}) {
      const std::string prefix = kSite2Search + PercentEncode(keyword) + "&page=";
      if (request.target.rfind(prefix, 0) == 0) {
        const int page = std::stoi(request.target.substr(prefix.size()));
        return {200, "text/html", Site2SearchPage(keyword, page), {}};
      }
    }
    return {404, "text/html", "<p>not here</p>", {}};
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::set<std::string> held_;
  std::set<std::string> waiting_;
  std::map<std::string, std::function<void()>> steps_;
  // Last: it stops, with every held page let go, before the rest goes away.
  LoopbackHttpsServer server_;
};

class InterleavedSearchTest : public ::testing::Test {
 protected:
  const SampleKeywords& keywords = SampleSearchKeywords();
  ScriptedSite2 site2;
  ReaderState state;
  CurlHttpService http;
  HeadlessToolkit window;
  Reader reader{window, state, http, ClosedOrigin(), site2.origin()};

  // A job still held at a failed expectation would keep the window's join waiting for ever.
  ~InterleavedSearchTest() override { site2.ReleaseAll(); }
};

TEST_F(InterleavedSearchTest, Site2ReadsTheStoredAddressAnewForEveryPage) {
  const std::string first = kSite2Search + PercentEncode(keywords.fourteen);
  // Not a form the job could build itself: it must take whatever is stored, unchanged.
  const std::string replaced = kSite2Search + PercentEncode(keywords.few) + "&sort=new";
  state.setSearchUrl(site2.origin() + first);
  site2.OnAsked(first + "&page=1", [&] { state.setSearchUrl(site2.origin() + replaced); });
  SearchJob(reader, 2);
  EXPECT_EQ(site2.Requests(), (std::vector<std::string>{first + "&page=1", replaced + "&page=2"}));
  EXPECT_EQ(window.Rows(Control::超级列表框1), 10);
}

TEST_F(InterleavedSearchTest, SupersededSearchWritesNothingMore) {
  struct Case {
    const char* name;
    Text olderKeyword;  // what the older search would have shown
  };
  const Case cases[] = {
      {"older search would write rows", keywords.many},
      {"older search would show the failure message", keywords.none},
  };
  const std::vector<std::string> newer = Site2Pages(keywords.fourteen, 3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    site2.ClearRequests();
    window.ClearMessages();
    const std::string older = Site2Pages(c.olderKeyword, 1)[0];
    site2.Hold(older);
    site2.Hold(newer[0]);

    state.setSearchUrl(site2.origin() + kSite2Search + PercentEncode(c.olderKeyword));
    const auto ticket = state.Begin(Kind::Search);
    std::thread olderJob([&] { SearchJob(reader, 2, ticket); });
    const bool olderWaits = site2.WaitUntilHeld(older);
    window.SetText(Control::编辑框_书名, keywords.fourteen);
    window.SetChoice(1);
    FireEvent(reader, Control::按钮_搜索, Event::Clicked);
    const bool newerWaits = site2.WaitUntilHeld(newer[0]);
    site2.Release(older);
    olderJob.join();
    EXPECT_TRUE(olderWaits && newerWaits);

    // The newer search has emptied the list and owns the busy button.
    EXPECT_EQ(window.Rows(Control::超级列表框1), 0);
    EXPECT_FALSE(window.IsEnabled(Control::按钮_搜索));
    EXPECT_EQ(window.Caption(Control::按钮_搜索), Busy());
    EXPECT_TRUE(window.Messages().empty());

    site2.Release(newer[0]);
    window.WaitForJobs();
    EXPECT_EQ(window.Table(Control::超级列表框1),
              ExpectedRows(2, keywords.fourteen, site2.origin()));
    EXPECT_TRUE(window.IsEnabled(Control::按钮_搜索));
    EXPECT_EQ(window.Caption(Control::按钮_搜索), Idle());
    EXPECT_TRUE(window.Messages().empty());
    // The older search asked for its first page only.
    std::vector<std::string> expected{older};
    expected.insert(expected.end(), newer.begin(), newer.end());
    EXPECT_EQ(site2.Requests(), expected);
  }
}

}  // namespace
}  // namespace tevrin
