#include "samples/loopback_https_server.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "samples/catalogue.h"
#include "samples/sample_pages.h"
#include "samples/sample_sites.h"
#include "text/code_page.h"
#include "text/markers.h"
#include "text/regex_object.h"

namespace tevrin {
namespace {

using Server = LoopbackHttpsServer;

// A client that trusts only the server's own certificate and checks the host name, so the test
// also proves the certificate is good for 127.0.0.1.
std::unique_ptr<httplib::Client> TrustingClient(const Server& server) {
  auto client = std::make_unique<httplib::Client>(server.origin());
  client->set_url_encode(false);
  client->set_keep_alive(false);
  const std::string pem = server.CertificatePem();
  if (!pem.empty()) {
    BIO* memory = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    X509* certificate = PEM_read_bio_X509(memory, nullptr, nullptr, nullptr);
    BIO_free(memory);
    X509_STORE* store = X509_STORE_new();
    X509_STORE_add_cert(store, certificate);
    X509_free(certificate);
    client->set_ca_cert_store(store);
    client->enable_server_certificate_verification(true);
  }
  return client;
}

TEST(LoopbackHttpsServerTest, ServesTheHandlersBytesAndLogsRawTargets) {
  Server::Request seen;
  std::mutex mutex;
  using namespace std::string_literals;
  const std::string body = "GBK \xD6\xD0\xCE\xC4, a NUL \0 and more"s;
  Server server([&](const Server::Request& request) {
    std::lock_guard lock(mutex);
    seen = request;
    return Server::Response{
        203, "text/html; charset=gbk", body, {{"Set-Cookie", "a=1"}, {"Set-Cookie", "b=2"}}};
  });
  ASSERT_TRUE(server.Running());
  EXPECT_EQ(server.origin(), "https://127.0.0.1:" + std::to_string(server.Port()));

  auto client = TrustingClient(server);
  const std::string target = "/a%20b/c.php?searchkey=%E4%B8%AD+x&page=1";
  // gzip offered on purpose: the body must still come back as given.
  const auto result = client->Get(target.c_str(), {{"Accept-Encoding", "gzip, deflate"}});
  ASSERT_TRUE(result) << httplib::to_string(result.error());
  EXPECT_EQ(result->status, 203);
  EXPECT_EQ(result->body, body);
  EXPECT_FALSE(result->has_header("Content-Encoding"));
  EXPECT_EQ(result->get_header_value("Content-Type"), "text/html; charset=gbk");
  EXPECT_EQ(result->get_header_value_count("Set-Cookie"), 2u);

  std::lock_guard lock(mutex);
  EXPECT_EQ(seen.method, "GET");
  EXPECT_EQ(seen.target, target);
  EXPECT_EQ(seen.path, "/a%20b/c.php");
  EXPECT_EQ(seen.query, "searchkey=%E4%B8%AD+x&page=1");
  EXPECT_EQ(server.Requests(), std::vector<std::string>{target});
  server.ClearRequests();
  EXPECT_TRUE(server.Requests().empty());
}

TEST(LoopbackHttpsServerTest, PlainHttpAndPostBodies) {
  Server server(
      [](const Server::Request& request) {
        return Server::Response{200, "text/plain", request.method + ":" + request.body, {}};
      },
      Server::Scheme::kHttp);
  ASSERT_TRUE(server.Running());
  EXPECT_EQ(server.origin().rfind("http://127.0.0.1:", 0), 0u);
  EXPECT_TRUE(server.CertificatePem().empty());

  auto client = TrustingClient(server);
  const auto posted = client->Post("/form", "k=v", "application/x-www-form-urlencoded");
  ASSERT_TRUE(posted);
  EXPECT_EQ(posted->body, "POST:k=v");
  const auto empty = client->Get("/");
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->body, "GET:");
  EXPECT_EQ(server.Requests(), (std::vector<std::string>{"/form", "/"}));
}

// Stopping right after starting must neither hang nor crash, and each server gets its own port.
TEST(LoopbackHttpsServerTest, StartsAndStopsPromptly) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 10; ++i) {
    Server first([](const Server::Request&) { return Server::Response{}; });
    Server second([](const Server::Request&) { return Server::Response{}; }, Server::Scheme::kHttp);
    ASSERT_TRUE(first.Running());
    ASSERT_TRUE(second.Running());
    EXPECT_NE(first.Port(), second.Port());
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));

  // A client keeping its connection open must not hold the destructor for long.
  std::unique_ptr<httplib::Client> idle;
  {
    Server server([](const Server::Request&) { return Server::Response{}; });
    idle = TrustingClient(server);
    idle->set_keep_alive(true);
    ASSERT_TRUE(idle->Get("/"));
    start = std::chrono::steady_clock::now();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

// A client that hangs up in the middle of a large body must not take the process down with
// SIGPIPE, and the server must go on answering.
TEST(LoopbackHttpsServerTest, SurvivesAClientHangingUpMidBody) {
  Server server([](const Server::Request& request) {
    if (request.path == "/big")
      return Server::Response{200, "text/plain", std::string(32 << 20, 'x'), {}};
    return Server::Response{200, "text/plain", "small", {}};
  });
  ASSERT_TRUE(server.Running());
  {
    auto client = TrustingClient(server);
    std::size_t received = 0;
    const auto aborted = client->Get("/big", [&](const char*, std::size_t length) {
      received += length;
      return received < 100000;
    });
    EXPECT_FALSE(aborted);
  }
  auto client = TrustingClient(server);
  const auto after = client->Get("/small");
  ASSERT_TRUE(after);
  EXPECT_EQ(after->body, "small");
}

// ---- The sample sites, read with the patterns and markers the jobs use ----

// GET `url` (which must start with `origin`) from a sample site; the body as sent.
std::string Fetch(const std::string& origin, const std::string& url, int* status = nullptr) {
  EXPECT_EQ(url.rfind(origin, 0), 0u) << url;
  httplib::Client client(origin);
  client.set_url_encode(false);
  client.enable_server_certificate_verification(false);
  const auto result = client.Get(url.substr(origin.size()).c_str());
  if (!result) {
    ADD_FAILURE() << url << ": " << httplib::to_string(result.error());
    return {};
  }
  if (status != nullptr) *status = result->status;
  return result->body;
}

Text Site2Text(const std::string& body) {
  EXPECT_NE(body.substr(0, 1024).find("charset=utf-8"), std::string::npos);
  return CharsetToGbk(body, "utf-8").value_or(Text());
}

Text Site1Pattern() {
  static const Text pattern = Gbk(
      u8R"re(<td class="odd"><a href="(.*?)"[\s|\S]*?>(.*?)</a></td>[\s|\S]*?target="_blank">(.*?)</a></td>[\s|\S]*?<td class="odd">(.*?)</td>[\s|\S]*?align="center">(.*?)</td>[\s|\S]*?align="center">(.*?)</td>)re");
  return pattern;
}

Text Site2Pattern() {
  static const Text pattern = Gbk(
      u8R"re(<h3><a href="(.*?)"[\s|\S]*?color:red;">(.*?)</a></h3>[\s|\S]*?<p>作者：<i>(.*?)</i>[\s|\S]*?状态：<i>(.*?)</i>[\s|\S]*?">(.*?)</a>[\s|\S]*?更新时间：<i>(.*?)</i></p>)re");
  return pattern;
}

Text ChapterPattern() {
  static const Text pattern = Gbk(u8R"re(<dd><a href="(.*?)"[\s|\S]*?>(.*?)</a></dd>)re");
  return pattern;
}

class SampleSitesTest : public ::testing::Test {
 protected:
  SampleSites sites;
};

TEST_F(SampleSitesTest, SearchPagesListTheBooksNamedInTheResultPatterns) {
  const SampleKeywords& keywords = SampleSearchKeywords();
  struct Case {
    const char* name;
    int site;
    Text keyword;
    int page;
    std::size_t first;
    int count;
  };
  const Case cases[] = {
      {"site 1, few", 1, keywords.few, 0, 0, 3},
      {"site 1, all of many on one page", 1, keywords.many, 0, 0, 56},
      {"site 1, none", 1, keywords.none, 0, 0, 0},
      {"site 1, long book", 1, keywords.longBook, 0, 0, 1},
      {"site 2, fourteen, page 1", 2, keywords.fourteen, 1, 0, 10},
      {"site 2, fourteen, page 2", 2, keywords.fourteen, 2, 10, 4},
      {"site 2, fourteen, page 3", 2, keywords.fourteen, 3, 0, 0},
      {"site 2, many, page 5", 2, keywords.many, 5, 40, 10},
      {"site 2, none", 2, keywords.none, 1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto books = SampleBooksNamed(c.keyword);
    RegexObject regex;
    if (c.site == 1) {
      const std::string url =
          sites.site1Origin() + "/modules/article/search.php?searchkey=" + PercentEncode(c.keyword);
      regex.Execute(Site1Pattern(), Fetch(sites.site1Origin(), url));
    } else {
      const std::string url = sites.site2Origin() +
                              "/search.html?keyword=" + PercentEncode(c.keyword) +
                              "&page=" + std::to_string(c.page);
      regex.Execute(Site2Pattern(), Site2Text(Fetch(sites.site2Origin(), url)));
    }
    ASSERT_EQ(regex.MatchCount(), c.count);
    for (int i = 1; i <= c.count; ++i) {
      const SampleBook& book = *books[c.first + static_cast<std::size_t>(i - 1)];
      const Text latest = SampleChapterTitle(book, book.chapterCount);
      if (c.site == 1) {
        EXPECT_EQ(regex.GroupText(i, 1), sites.site1Origin() + SampleBookPath(book.id));
        EXPECT_EQ(regex.GroupText(i, 2), book.name);
        EXPECT_EQ(regex.GroupText(i, 3), latest);
        EXPECT_EQ(regex.GroupText(i, 4), book.author);
        EXPECT_EQ(regex.GroupText(i, 5), book.updated);
        EXPECT_EQ(regex.GroupText(i, 6), book.status);
      } else {
        EXPECT_EQ(regex.GroupText(i, 1), SampleBookPath(book.id));
        Text title = regex.GroupText(i, 2);
        for (const char* tag : {"<em>", "</em>", "</span>"}) title = ReplaceAll(title, tag, "");
        EXPECT_EQ(title, book.name);
        EXPECT_EQ(regex.GroupText(i, 3), book.author);
        EXPECT_EQ(regex.GroupText(i, 4), book.status);
        EXPECT_EQ(regex.GroupText(i, 5), latest);
        EXPECT_EQ(regex.GroupText(i, 6), book.updated);
      }
    }
  }
}

// Walks each book from its contents through every chapter by the next-chapter markers and checks
// that both ends lead back to the book's address, as the navigation's end-of-book test needs.
TEST_F(SampleSitesTest, ContentsAndChaptersChainFromBookBackToBook) {
  const Text site2Origin = sites.site2Origin();
  const Text site1Prev = Gbk(u8"投推荐票</a> <a href=\""), site1PrevEnd = Gbk(u8"\">上一章");
  const Text site1Next = Gbk(u8"目录</a> &rarr; <a href=\""), site1NextEnd = Gbk(u8"\">下一章");
  const Text site2Prev = site2Origin + Gbk(u8"加入书签</a><a href=\"");
  const Text site2PrevEnd = Gbk(u8"\">上一页");
  const Text site2Next = site2Origin + "</a>&rarr;<ahref=\"";
  const Text site2NextEnd = Gbk(u8"\">下一页");
  const Text noAds = Gbk(u8"》无弹窗广告");

  for (int site : {1, 2}) {
    for (int id : {1, 2, 3}) {
      SCOPED_TRACE("site " + std::to_string(site) + ", book " + std::to_string(id));
      const SampleBook& book = *FindSampleBook(id);
      const std::string origin = site == 1 ? sites.site1Origin() : sites.site2Origin();
      const std::string bookUrl = origin + SampleBookPath(id);

      Text contents;
      if (site == 1) {
        contents = Fetch(origin, bookUrl);
      } else {
        const Text bookPage = Site2Text(Fetch(origin, bookUrl));
        const Text indexUrl = TextBetween(bookPage, "\"b-orange\" href=\"", Gbk(u8"\">全文阅读"));
        const Text index = Site2Text(Fetch(origin, indexUrl));
        RegexObject all;
        all.Execute(ChapterPattern(), index);
        EXPECT_GT(all.MatchCount(), book.chapterCount) << "no teaser before the full list";
        contents = TextAfterLast(index, noAds);
      }
      RegexObject chapters;
      chapters.Execute(ChapterPattern(), contents);
      ASSERT_EQ(chapters.MatchCount(), book.chapterCount);

      std::string url = (site == 1 ? "" : origin) + chapters.GroupText(1, 1);
      for (int n = 1; n <= book.chapterCount; ++n) {
        SCOPED_TRACE("chapter " + std::to_string(n));
        EXPECT_EQ(chapters.GroupText(n, 2), SampleChapterTitle(book, n));
        const Text page = site == 1 ? Text(Fetch(origin, url)) : Site2Text(Fetch(origin, url));
        EXPECT_EQ(TextBetween(page, "<h1>", "</h1>"), SampleChapterTitle(book, n));
        const Text prev = site == 1 ? TextBetween(page, site1Prev, site1PrevEnd)
                                    : origin + TextBetween(page, site2Prev, site2PrevEnd);
        const Text next = site == 1 ? TextBetween(page, site1Next, site1NextEnd)
                                    : origin + TextBetween(page, site2Next, site2NextEnd);
        if (site == 1) {
          EXPECT_EQ(TextBetween(page, "<div id=\"content\"><p>", "</div>"),
                    Site1ChapterContent(book, n));
        } else {
          EXPECT_EQ(TextBetween(page, "<div id=\"BookText\">", "</div>"),
                    Site2ChapterContent(book, n));
        }
        EXPECT_EQ(prev, n == 1 ? bookUrl : origin + SampleChapterPath(id, n - 1));
        EXPECT_EQ(next, n == book.chapterCount ? bookUrl : origin + SampleChapterPath(id, n + 1));
        url = next;
      }
    }
  }
}

TEST_F(SampleSitesTest, OverridesUnknownTargetsAndRequestLogs) {
  const std::string target = "/book/1/2.html";
  sites.Override(2, target, {200, "text/html", "hostile", {}});
  int status = 0;
  EXPECT_EQ(Fetch(sites.site2Origin(), sites.site2Origin() + target), "hostile");
  EXPECT_NE(Fetch(sites.site1Origin(), sites.site1Origin() + target), "hostile");
  sites.ClearOverrides();
  EXPECT_NE(Fetch(sites.site2Origin(), sites.site2Origin() + target), "hostile");

  for (const char* missing : {"/book/1/13.html", "/book/999/", "/book/1/0.html", "/book/1x/",
                              "/nothing", "/book/1/all.html"}) {
    Fetch(sites.site1Origin(), sites.site1Origin() + missing, &status);
    EXPECT_EQ(status, 404) << missing;
  }
  EXPECT_EQ(sites.Requests(2), (std::vector<std::string>{target, target}));
  EXPECT_EQ(sites.Requests(1).size(), 7u);
  sites.ClearRequests();
  EXPECT_TRUE(sites.Requests(1).empty());
}

TEST(SamplePagesTest, LongBookIndexListsEveryChapter) {
  const SampleBook& book = LongSampleBook();
  ASSERT_EQ(book.chapterCount, 5000);
  RegexObject site1;
  site1.Execute(ChapterPattern(), Site1BookPage("https://127.0.0.1:1", book));
  EXPECT_EQ(site1.MatchCount(), 5000);
  EXPECT_EQ(site1.GroupText(5000, 2), SampleChapterTitle(book, 5000));
  RegexObject site2;
  site2.Execute(ChapterPattern(),
                TextAfterLast(CharsetToGbk(Site2FullIndexPage(book), "utf-8").value_or(Text()),
                              Gbk(u8"》无弹窗广告")));
  EXPECT_EQ(site2.MatchCount(), 5000);
}

}  // namespace
}  // namespace tevrin
