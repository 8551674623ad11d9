// Hostile pages through the real jobs and a real server: huge pages, huge indexes, broken
// encodings, NUL bytes, unterminated markup and markers that only appear across a character
// boundary. Every job must end with the result the rules give, or with the failure message, in
// bounded time.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/event_table.h"
#include "app/headless_toolkit.h"
#include "app/reader.h"
#include "app/reader_state.h"
#include "reading/reading_record.h"
#include "samples/sample_sites.h"
#include "search/keep_gb2312_hanzi.h"
#include "support/scratch_directory.h"
#include "text/code_page.h"
#include "web/curl_http_service.h"

namespace tevrin {
namespace {

using Rows = std::vector<std::vector<Text>>;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kMiB = std::size_t{1} << 20;
constexpr std::chrono::seconds kHangLimit{60};

const Text& FailureText() {
  static const Text text = Gbk(u8"未获取到对应资源，请检查您的网络配置是否正常！！！");
  return text;
}

/// Ends the test program when a step outlives the limit: a hang must fail the run, not stall it.
class HangGuard {
 public:
  explicit HangGuard(std::string step) : step_(std::move(step)) {
    watcher_ = std::thread([this] {
      std::unique_lock lock(mutex_);
      if (!ended_.wait_for(lock, kHangLimit, [this] { return done_; })) {
        std::fprintf(stderr, "%s did not end within %lld s\n", step_.c_str(),
                     static_cast<long long>(kHangLimit.count()));
        std::abort();
      }
    });
  }
  ~HangGuard() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    ended_.notify_all();
    watcher_.join();
  }
  HangGuard(const HangGuard&) = delete;
  HangGuard& operator=(const HangGuard&) = delete;

 private:
  std::string step_;
  std::mutex mutex_;
  std::condition_variable ended_;
  bool done_ = false;
  std::thread watcher_;
};

/// `piece` repeated until the result holds at least `size` bytes.
std::string RepeatTo(const std::string& piece, std::size_t size) {
  std::string out;
  out.reserve(size + piece.size());
  while (out.size() < size) out += piece;
  return out;
}

/// The GBK head of a page declaring `charset`.
Text Head(const char* charset) {
  return Text("<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=") +
         charset + "\" />\n</head>\n<body>\n";
}

/// One search result as both sites describe a book.
struct Book {
  Text name;
  Text latest;
  Text author;
  Text updated;
  Text status;
  std::string path;
};

std::vector<Book> MadeUpBooks() {
  return {
      {Gbk(u8"青石巷"), Gbk(u8"第十二章 雨夜"), Gbk(u8"白川"), "2024-02-11", Gbk(u8"连载中"),
       "/book/901/"},
      {Gbk(u8"远山灯火"), Gbk(u8"第三章 渡口"), Gbk(u8"林一舟"), "2023-12-30", Gbk(u8"全本"),
       "/book/902/"},
      {Gbk(u8"雾中归人"), Gbk(u8"第八章 旧信"), Gbk(u8"苏默"), "2024-05-02", Gbk(u8"连载中"),
       "/book/903/"},
  };
}

Text Site1Row(const std::string& origin, const Book& book) {
  return "<tr>\n<td class=\"odd\"><a href=\"" + origin + book.path + "\">" + book.name +
         "</a></td>\n<td class=\"even\"><a href=\"" + origin + book.path +
         "9.html\" target=\"_blank\">" + book.latest + "</a></td>\n<td class=\"odd\">" +
         book.author + "</td>\n<td class=\"even\" align=\"center\">" + book.updated +
         "</td>\n<td class=\"odd\" align=\"center\">" + book.status + "</td>\n</tr>\n";
}

Text Site2Item(const Book& book) {
  return "<div class=\"result-item\">\n<h3><a href=\"" + book.path +
         "\" target=\"_blank\"><span style=\"color:red;\">" + book.name + "</span></a></h3>\n" +
         Gbk(u8"<p>作者：<i>") + book.author + "</i></p>\n" + Gbk(u8"<p>状态：<i>") + book.status +
         "</i></p>\n" + Gbk(u8"<p>最新章节：<a href=\"") + book.path +
         "9.html\" target=\"_blank\">" + book.latest + "</a></p>\n" + Gbk(u8"<p>更新时间：<i>") +
         book.updated + "</i></p>\n</div>\n";
}

std::vector<Text> ResultRow(int site, const std::string& origin, const Book& book) {
  if (site == 1) {
    return {book.name, book.latest, book.author, book.updated, book.status, origin + book.path};
  }
  return {KeepGb2312Hanzi(book.name + "</span>"),
          book.latest,
          book.author,
          book.updated,
          book.status,
          origin + book.path};
}

Text ChapterTitle(int number) {
  return Gbk(u8"第") + ToDecimal(number) + Gbk(u8"章 归途");
}

/// A chapter page of either site: title, the two neighbour links, then the text in its div.
Text ChapterPage(int site, const std::string& origin, const Text& title, const Text& content,
                 const std::string& prev, const std::string& next) {
  if (site == 1) {
    return Head("gbk") + "<h1>" + title + "</h1>\n" +
           Gbk(u8"<a href=\"javascript:;\">投推荐票</a> <a href=\"") + prev +
           Gbk(u8"\">上一章</a> &larr; <a href=\"/book/7/\">章节目录</a> &rarr; <a href=\"") +
           next + Gbk(u8"\">下一章</a>\n") + "<div id=\"content\"><p>" + content +
           "</div>\n</body>\n</html>\n";
  }
  return Head("utf-8") + "<h1>" + title + "</h1>\n<a href=\"javascript:;\">" + origin +
         Gbk(u8"加入书签</a><a href=\"") + prev +
         Gbk(u8"\">上一页</a>&larr;<a href=\"/book/7/\">") + origin + "</a>&rarr;<ahref=\"" + next +
         Gbk(u8"\">下一页</a>\n") + "<div id=\"BookText\">" + content +
         "</div>\n</body>\n</html>\n";
}

/// Site 2 sends UTF-8; site 1 sends its GBK as it is.
Bytes OnTheWire(int site, const Text& gbk) {
  return site == 1 ? gbk : GbkToUtf8(gbk);
}

class HostilePagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sites_.Running());
    ASSERT_FALSE(directory_.empty());
    window_.SetRunDirectory(directory_);
  }

  // Jobs still writing the record must be done before the directory goes.
  void TearDown() override { window_.WaitForJobs(); }

  std::string Origin(int site) const {
    return site == 1 ? sites_.site1Origin() : sites_.site2Origin();
  }

  /// Answers `target` on `site` with `body` as it goes on the wire, in the site's own charset
  /// unless told otherwise.
  void Serve(int site, const std::string& target, Bytes body, const char* charset = nullptr) {
    if (charset == nullptr) charset = site == 1 ? "gbk" : "utf-8";
    sites_.Override(site, target,
                    {200, std::string("text/html; charset=") + charset, std::move(body), {}});
  }

  /// The search targets a search for kKeyword asks for: site 1's only page, site 2's page `n`.
  static std::string SearchTarget(int site, int page = 1) {
    if (site == 1) return "/modules/article/search.php?searchkey=" + PercentEncode(Keyword());
    return "/search.html?keyword=" + PercentEncode(Keyword()) + "&page=" + std::to_string(page);
  }

  static const Text& Keyword() {
    static const Text keyword = Gbk(u8"灯火");
    return keyword;
  }

  /// Serves `page` as the first result page of `site`, as it goes on the wire; site 2's second
  /// page lists nothing.
  void ServeSearch(int site, Bytes page) {
    Serve(site, SearchTarget(site), std::move(page));
    if (site != 1) Serve(site, SearchTarget(site, 2), OnTheWire(site, Head("utf-8")));
  }

  void Fire(const std::string& step, Control control, Event event) {
    HangGuard guard(step);
    const Clock::time_point start = Clock::now();
    FireEvent(reader_, control, event);
    window_.WaitForJobs();
    const auto seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%s: %.2f s\n", step.c_str(), seconds);
  }

  void Search(const std::string& step, int site) {
    window_.SetChoice(site == 1 ? 0 : 1);
    window_.SetText(Control::编辑框_书名, Keyword());
    Fire(step, Control::按钮_搜索, Event::Clicked);
  }

  /// Lists one book as a search would, selects it and opens its contents.
  void OpenContents(const std::string& step, int site, const Text& name, const Text& url) {
    state_.setSite(site);
    window_.DeleteAllRows(Control::超级列表框1);
    const int row = window_.InsertRow(Control::超级列表框1, name);
    window_.SetCell(Control::超级列表框1, row, 5, url);
    window_.SelectRow(Control::超级列表框1, row);
    Fire(step, Control::超级列表框1, Event::DoubleClicked);
  }

  /// Lists one chapter as the contents would, selects it and opens it.
  void OpenChapter(const std::string& step, int site, const Text& url) {
    state_.setSite(site);
    window_.DeleteAllRows(Control::超级列表框2);
    const int row = window_.InsertRow(Control::超级列表框2, Text("1"));
    window_.SetCell(Control::超级列表框2, row, 2, url);
    window_.SelectRow(Control::超级列表框2, row);
    Fire(step, Control::超级列表框2, Event::DoubleClicked);
  }

  std::string Record() const {
    std::ifstream in(ReadingRecordPath(directory_), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  static std::string RecordFile(const Text& url, int site, const Text& title) {
    return Gbk(u8"[阅读记录]\r\n文章记录=") + url + "\r\n" +
           Gbk(site == 1 ? u8"来源=笔趣阁\r\n" : u8"来源=顶点网\r\n") + Gbk(u8"章节名称=") + title +
           "\r\n";
  }

  /// Compares a long list row by row, reporting only the first difference.
  static void ExpectRows(const Rows& actual, const Rows& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
      if (actual[i] != expected[i]) {
        ADD_FAILURE() << "row " << i << " differs";
        return;
      }
    }
  }

  void ExpectFailureOnly() {
    const auto messages = window_.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, FailureText());
  }

  ScratchDirectory scratch_;
  const std::string& directory_ = scratch_.path();
  SampleSites sites_;
  CurlHttpService http_;
  ReaderState state_;
  HeadlessToolkit window_;
  Reader reader_{window_, state_, http_, sites_.site1Origin(), sites_.site2Origin()};
};

TEST_F(HostilePagesTest, TwentyMebibyteSearchPageWithTheResultsAtItsEnd) {
  const Text filler =
      Gbk(u8"<p class=\"notice\">本站小说均由网友上传，山风吹过竹林，夜色渐深，灯火未眠。</p>\n");
  for (const int site : {1, 2}) {
    SCOPED_TRACE(site);
    Text results;
    Rows expected;
    for (const Book& book : MadeUpBooks()) {
      results += site == 1 ? Site1Row(Origin(1), book) : Site2Item(book);
      expected.push_back(ResultRow(site, Origin(site), book));
    }
    ServeSearch(site, OnTheWire(site, Head(site == 1 ? "gbk" : "utf-8")) +
                          RepeatTo(OnTheWire(site, filler), 20 * kMiB) +
                          OnTheWire(site, results + "</body>\n</html>\n"));
    window_.ClearMessages();

    Search("20 MiB search page, site " + std::to_string(site), site);
    EXPECT_EQ(window_.Table(Control::超级列表框1), expected);
    EXPECT_TRUE(window_.Messages().empty());
    EXPECT_TRUE(window_.IsEnabled(Control::按钮_搜索));
  }
}

TEST_F(HostilePagesTest, TwentyMebibytesOfResultRowsThatNeverCloseEndInTheFailureMessage) {
  // Every row opens and none goes on to its chapter link: the lazy gaps of the pattern could
  // try every later byte from every start, so the engine's limits must end the search.
  ServeSearch(1, Head("gbk") + RepeatTo("<td class=\"odd\"><a href=\"/book/1/\">", 20 * kMiB));
  Search("unclosed rows", 1);
  EXPECT_EQ(window_.Rows(Control::超级列表框1), 0);
  ExpectFailureOnly();
  EXPECT_TRUE(window_.IsEnabled(Control::按钮_搜索));
}

TEST_F(HostilePagesTest, IndexOfAHundredThousandChapters) {
  constexpr int kChapters = 100000;
  const Text name = Gbk(u8"长河万里");
  for (const int site : {1, 2}) {
    SCOPED_TRACE(site);
    Rows expected;
    expected.reserve(kChapters);
    Text links;
    links.reserve(kChapters * 80);
    for (int n = 1; n <= kChapters; ++n) {
      const std::string path = "/book/7/" + std::to_string(n) + ".html";
      // Site 1 links absolutely, site 2 relative to its origin.
      const std::string href = site == 1 ? Origin(1) + path : path;
      links += "<dd><a href=\"" + href + "\">" + ChapterTitle(n) + "</a></dd>\n";
      expected.push_back({ToDecimal(n), ChapterTitle(n), Origin(site) + path});
    }
    if (site == 1) {
      Serve(1, "/book/7/", Head("gbk") + "<dl>\n" + links + "</dl>\n</body>\n</html>\n");
    } else {
      Serve(2, "/book/7/",
            OnTheWire(2, Head("utf-8") + "<a class=\"b-orange\" href=\"" + Origin(2) +
                             Gbk(u8"/book/7/all.html\">全文阅读</a>\n</body>\n</html>\n")));
      // A teaser of one chapter before the list proper.
      Serve(
          2, "/book/7/all.html",
          OnTheWire(2, Head("utf-8") + "<dl>\n<dd><a href=\"/book/7/99.html\">" + ChapterTitle(99) +
                           Gbk(u8"</a></dd>\n<dt>《长河万里》无弹窗广告</dt>\n") + links +
                           "</dl>\n</body>\n</html>\n"));
    }

    OpenContents("100,000 chapters, site " + std::to_string(site), site, name,
                 Origin(site) + "/book/7/");
    ExpectRows(window_.Table(Control::超级列表框2), expected);
    EXPECT_EQ(window_.Label(Control::透明标签_文章), Gbk(u8"《长河万里》"));
    EXPECT_TRUE(window_.Messages().empty());
  }
}

TEST_F(HostilePagesTest, FiveMebibyteChapter) {
  // Blanks inside the words, ordinary and full-width, go; the markup between paragraphs turns
  // into the site's line breaks.
  const Text words = Gbk(u8"风吹过 山岗，　溪水 绕过石桥流向远方。");
  const Text clean = Gbk(u8"风吹过山岗，溪水绕过石桥流向远方。");
  for (const int site : {1, 2}) {
    SCOPED_TRACE(site);
    const std::string prev = "/book/7/4.html";
    const std::string next = "/book/7/6.html";
    const Text piece = site == 1 ? words + "</p><p>" : words + "&nbsp;&NBSP;<br />\n";
    const Text cleanPiece = site == 1 ? "     " + clean + "\r\n\r\n" : clean + "  \r\n\n";
    Text content = RepeatTo(piece, 5 * kMiB);
    const std::size_t pieces = content.size() / piece.size();
    // Site 1's text begins inside the first paragraph and ends with its last closing tag.
    if (site == 1) content = content.substr(0, content.size() - 3);
    Text expected;
    expected.reserve(pieces * cleanPiece.size());
    for (std::size_t i = 0; i < pieces; ++i) expected += cleanPiece;

    const Text title = ChapterTitle(5);
    const std::string url = Origin(site) + "/book/7/5.html";
    Serve(site, "/book/7/5.html",
          OnTheWire(site, ChapterPage(site, Origin(site), title, content, prev, next)));
    OpenChapter("5 MiB chapter, site " + std::to_string(site), site, url);

    EXPECT_EQ(window_.Label(Control::透明标签_章节名称), title);
    const Text shown = window_.Label(Control::编辑框1);
    EXPECT_EQ(shown.size(), expected.size());
    EXPECT_TRUE(shown == expected) << "the cleaned text differs";
    EXPECT_EQ(state_.prevChapterUrl(), prev);
    EXPECT_EQ(state_.nextChapterUrl(), next);
    EXPECT_EQ(Record(), RecordFile(url, site, title));
    EXPECT_TRUE(window_.Messages().empty());
  }
}

TEST_F(HostilePagesTest, InvalidGbkEverywhere) {
  // Pairs GBK has no character for, and a lead byte cut off at the very end of each page. What
  // the pattern engine cuts out comes back through its UTF-16 form, where each byte that does
  // not decode reads "?"; what the markers cut out keeps its bytes.
  const Text bad1 = "\xFF\xFF";
  const Text bad2 = "\x81\x7F";
  const Text read1 = "??";
  const Text read2 = "?\x7F";
  std::vector<Book> books = MadeUpBooks();
  Rows expectedResults;
  for (const Book& book : books) expectedResults.push_back(ResultRow(1, Origin(1), book));
  books[0].name = Gbk(u8"青") + bad1 + Gbk(u8"石巷");
  expectedResults[0][0] = Gbk(u8"青") + read1 + Gbk(u8"石巷");
  books[0].author = bad2 + Gbk(u8"白川");
  expectedResults[0][2] = read2 + Gbk(u8"白川");
  books[1].latest = Gbk(u8"第三章") + bad1 + bad2;
  expectedResults[1][1] = Gbk(u8"第三章") + read1 + read2;
  Text searchPage = Head("gbk");
  for (const Book& book : books) searchPage += Site1Row(Origin(1), book);
  ServeSearch(1, searchPage + "\xB0");
  Search("invalid GBK search", 1);
  EXPECT_EQ(window_.Table(Control::超级列表框1), expectedResults);

  const Text chapterTitle = bad1 + Gbk(u8"第一章 ") + bad2 + Gbk(u8"夜雨");
  Serve(1, "/book/7/",
        Head("gbk") + "<dl>\n<dd><a href=\"" + Origin(1) + "/book/7/1.html\">" + chapterTitle +
            "</a></dd>\n</dl>\n\xB0");
  OpenContents("invalid GBK index", 1, books[0].name, Origin(1) + "/book/7/");
  EXPECT_EQ(window_.Table(Control::超级列表框2),
            (Rows{{"1", read1 + Gbk(u8"第一章 ") + read2 + Gbk(u8"夜雨"),
                   Origin(1) + "/book/7/1.html"}}));
  EXPECT_EQ(window_.Label(Control::透明标签_文章), Gbk(u8"《") + books[0].name + Gbk(u8"》"));

  const Text content = Gbk(u8"雨下") + bad1 + Gbk(u8"个不停") + bad2 + "</p><p>" + bad2 + "</p>";
  Serve(1, "/book/7/1.html",
        ChapterPage(1, Origin(1), chapterTitle, content, "/book/7/", "/book/7/2.html") + "\xB0");
  OpenChapter("invalid GBK chapter", 1, Origin(1) + "/book/7/1.html");
  EXPECT_EQ(window_.Label(Control::透明标签_章节名称), chapterTitle);
  EXPECT_EQ(window_.Label(Control::编辑框1), "     " + Gbk(u8"雨下") + bad1 + Gbk(u8"个不停") +
                                                 bad2 + "\r\n\r\n     " + bad2 + "\r\n\r\n");
  EXPECT_EQ(state_.nextChapterUrl(), "/book/7/2.html");
  EXPECT_EQ(Record(), RecordFile(Origin(1) + "/book/7/1.html", 1, chapterTitle));
  EXPECT_TRUE(window_.Messages().empty());
}

TEST_F(HostilePagesTest, InvalidUtf8EverywhereBecomesQuestionMarks) {
  // Site 2 declares UTF-8; each byte that does not decode becomes one "?".
  auto utf8 = [](std::u8string_view text) { return GbkToUtf8(Gbk(text)); };
  const std::string item =
      "<h3><a href=\"/book/904/\" target=\"_blank\"><span style=\"color:red;\">" + utf8(u8"夜") +
      "\xFF" + utf8(u8"航船") + "</span></a></h3>\n" + utf8(u8"<p>作者：<i>") + "\xC3(" +
      utf8(u8"南风</i></p>\n<p>状态：<i>全本</i></p>\n<p>最新章节：<a href=\"/book/904/9.html\">") +
      "\xE4\xB8" + utf8(u8"终章</a></p>\n<p>更新时间：<i>2024-01-09</i></p>\n");
  Serve(2, SearchTarget(2), GbkToUtf8(Head("utf-8")) + item + "\xF0\x9F");
  Serve(2, SearchTarget(2, 2), GbkToUtf8(Head("utf-8")));
  Search("invalid UTF-8 search", 2);
  EXPECT_EQ(window_.Table(Control::超级列表框1),
            (Rows{{Gbk(u8"夜航船"), "??" + Gbk(u8"终章"), "?(" + Gbk(u8"南风"), "2024-01-09",
                   Gbk(u8"全本"), Origin(2) + "/book/904/"}}));

  const std::string title = utf8(u8"第一章") + "\xFE" + utf8(u8"启航");
  const std::string page = GbkToUtf8(Head("utf-8")) + "<h1>" + title +
                           "</h1>\n<div id=\"BookText\">" + utf8(u8"海面") + "\x80\x80" +
                           utf8(u8"平静&nbsp;<br/>") + "</div>\n";
  Serve(2, "/book/904/1.html", page);
  OpenChapter("invalid UTF-8 chapter", 2, Origin(2) + "/book/904/1.html");
  EXPECT_EQ(window_.Label(Control::透明标签_章节名称), Gbk(u8"第一章?启航"));
  EXPECT_EQ(window_.Label(Control::编辑框1), Gbk(u8"海面??平静 \r\n"));
  EXPECT_TRUE(window_.Messages().empty());
}

TEST_F(HostilePagesTest, NulBytesEndThePageWhereTheyStand) {
  const std::vector<Book> books = MadeUpBooks();
  for (const int site : {1, 2}) {
    SCOPED_TRACE(site);
    // A NUL after the first result hides everything after it.
    Text page = Head(site == 1 ? "gbk" : "utf-8");
    for (const Book& book : books) {
      page += site == 1 ? Site1Row(Origin(1), book) : Site2Item(book);
      if (&book == &books.front()) page += std::string(1, '\0');
    }
    ServeSearch(site, OnTheWire(site, page));
    Search("NUL in a search page, site " + std::to_string(site), site);
    EXPECT_EQ(window_.Table(Control::超级列表框1), Rows{ResultRow(site, Origin(site), books[0])});

    // A NUL inside the chapter text takes its end marker away; title and links stand before it.
    const Text title = ChapterTitle(3);
    const Text content = Gbk(u8"灯下读书") + std::string(1, '\0') + Gbk(u8"，窗外雪落。");
    const std::string url = Origin(site) + "/book/7/3.html";
    Serve(site, "/book/7/3.html",
          OnTheWire(site, ChapterPage(site, Origin(site), title, content, "/book/7/2.html",
                                      "/book/7/4.html")));
    OpenChapter("NUL in a chapter, site " + std::to_string(site), site, url);
    EXPECT_EQ(window_.Label(Control::透明标签_章节名称), title);
    EXPECT_EQ(window_.Label(Control::编辑框1), site == 1 ? "     " : "");
    EXPECT_EQ(state_.nextChapterUrl(), "/book/7/4.html");
    EXPECT_EQ(Record(), RecordFile(url, site, title));
    EXPECT_TRUE(window_.Messages().empty());
  }
}

TEST_F(HostilePagesTest, UnterminatedChapterTextShowsNothingOfIt) {
  for (const int site : {1, 2}) {
    SCOPED_TRACE(site);
    // The page stops inside the text's div: a megabyte of paragraphs and no closing tag.
    const Text title = ChapterTitle(8);
    Text page = ChapterPage(site, Origin(site), title, "", "/book/7/7.html", "/book/7/9.html");
    page = page.substr(0, page.find("</div>"));
    page += RepeatTo(Gbk(u8"远处传来钟声。</p><p>"), kMiB);
    const std::string url = Origin(site) + "/book/7/8.html";
    Serve(site, "/book/7/8.html", OnTheWire(site, page));
    OpenChapter("unterminated text, site " + std::to_string(site), site, url);
    EXPECT_EQ(window_.Label(Control::透明标签_章节名称), title);
    EXPECT_EQ(window_.Label(Control::编辑框1), site == 1 ? "     " : "");
    EXPECT_EQ(state_.prevChapterUrl(), "/book/7/7.html");
    EXPECT_EQ(state_.nextChapterUrl(), "/book/7/9.html");
    EXPECT_EQ(Record(), RecordFile(url, site, title));
    EXPECT_TRUE(window_.Messages().empty());
  }
}

TEST_F(HostilePagesTest, MarkersAcrossACharacterBoundaryAreNotMarkers) {
  // A lone lead byte pairs with the first byte of what follows, so the bytes of a marker right
  // after it are split between two characters and must not be found there.
  const std::string url = Origin(1) + "/book/7/2.html";
  const Text title = ChapterTitle(2);
  Text page =
      ChapterPage(1, Origin(1), title, Gbk(u8"夜色</p>"), "/book/7/1.html", "/book/7/3.html");
  const Text nextMarker = Gbk(u8"目录</a> &rarr; <a href=\"");
  page.insert(page.find(nextMarker), "\xB0");
  Serve(1, "/book/7/2.html", page);
  OpenChapter("split next marker", 1, url);
  EXPECT_EQ(window_.Label(Control::透明标签_章节名称), title);
  EXPECT_EQ(state_.prevChapterUrl(), "/book/7/1.html");
  EXPECT_EQ(state_.nextChapterUrl(), "");

  // On an index declared as GBK, the bytes of "》无弹窗广告" turn up once more after the real
  // marker, inside a chapter title and shifted by one byte: the list still starts after the real
  // one.
  const Text marker = Gbk(u8"》无弹窗广告");
  const Text shifted = Gbk(u8"第二章 ") + "\xB0" + marker;
  Serve(2, "/book/7/",
        Head("gbk") + "<a class=\"b-orange\" href=\"" + Origin(2) +
            Gbk(u8"/book/7/all.html\">全文阅读</a>\n"),
        "gbk");
  Serve(2, "/book/7/all.html",
        Head("gbk") + "<dd><a href=\"/book/7/9.html\">" + ChapterTitle(9) + "</a></dd>\n<dt>" +
            marker + "</dt>\n<dd><a href=\"/book/7/1.html\">" + ChapterTitle(1) +
            "</a></dd>\n<dd><a href=\"/book/7/2.html\">" + shifted +
            "</a></dd>\n<dd><a href=\"/book/7/3.html\">" + ChapterTitle(3) + "</a></dd>\n",
        "gbk");
  OpenContents("split list marker", 2, Gbk(u8"长河万里"), Origin(2) + "/book/7/");
  // The shifted title is not compared: it holds a pair from GBK's user-defined area.
  const Rows rows = window_.Table(Control::超级列表框2);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (std::vector<Text>{"1", ChapterTitle(1), Origin(2) + "/book/7/1.html"}));
  EXPECT_EQ(rows[1][2], Origin(2) + "/book/7/2.html");
  EXPECT_EQ(rows[2], (std::vector<Text>{"3", ChapterTitle(3), Origin(2) + "/book/7/3.html"}));
  EXPECT_TRUE(window_.Messages().empty());
}

TEST_F(HostilePagesTest, TitleWithLineBreaksAndBracketsStaysOneRecordLine) {
  // Shown as found, but the reading record must not gain a section or a key from it.
  const Text title =
      Gbk(u8"第九章 【旧友】\r\n[阅读记录]\r\n文章记录=http://elsewhere.example/\n《重逢》");
  const Text oneLine = Gbk(u8"第九章 【旧友】[阅读记录]文章记录=http://elsewhere.example/《重逢》");
  for (const int site : {1, 2}) {
    SCOPED_TRACE(site);
    const std::string url = Origin(site) + "/book/7/9.html";
    Serve(site, "/book/7/9.html",
          OnTheWire(site, ChapterPage(site, Origin(site), title, Gbk(u8"久别。"), "/book/7/8.html",
                                      "/book/7/10.html")));
    OpenChapter("title with line breaks, site " + std::to_string(site), site, url);
    EXPECT_EQ(window_.Label(Control::透明标签_章节名称), title);
    EXPECT_EQ(Record(), RecordFile(url, site, oneLine));
    EXPECT_EQ(state_.nextChapterUrl(), "/book/7/10.html");
  }
}

}  // namespace
}  // namespace tevrin
