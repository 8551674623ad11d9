// tevrin-cli as a script runs it: the real binary against the sample sites (or a raw server for
// `fetch`), its JSON read back, its exit code and its standard error checked.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "samples/catalogue.h"
#include "samples/sample_sites.h"
#include "support/raw_responder.h"
#include "support/scratch_directory.h"
#include "text/code_page.h"

namespace tevrin {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using Json = nlohmann::json;

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string U8(std::u8string_view text) {
  return {reinterpret_cast<const char*>(text.data()), text.size()};
}

std::string Utf8(const Text& gbk) {
  return GbkToDisplayUtf8(gbk);
}

/// Terminal columns of the sample texts: every non-ASCII character there is a wide one.
std::size_t Columns(std::string_view utf8) {
  std::size_t columns = 0;
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      ++columns;
    } else if (byte >= 0xC0) {
      columns += 2;
    }
  }
  return columns;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

class TevrinCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sites_.Running());
    ASSERT_FALSE(dir_.empty());
  }

  /// Runs the binary with exactly `args`, its output caught in files.
  CliRun RunRaw(const std::vector<std::string>& args) {
    const std::string outPath = (dir_ / "stdout").string();
    const std::string errPath = (dir_ / "stderr").string();
    std::vector<char*> argv{const_cast<char*>(TEVRIN_CLI_PATH)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0) {
      const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(127);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    CliRun run;
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFile(outPath);
    run.err = ReadFile(errPath);
    return run;
  }

  /// Runs the binary on the sample sites.
  CliRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--site1", sites_.site1Origin(), "--site2", sites_.site2Origin()});
    return RunRaw(args);
  }

  /// Runs the binary on the sample sites with --json and reads its object.
  Json RunJson(std::vector<std::string> args, int expectedExitCode) {
    args.insert(args.begin(), "--json");
    const CliRun run = Run(std::move(args));
    EXPECT_EQ(run.exitCode, expectedExitCode) << run.err;
    EXPECT_EQ(run.err, "");
    Json object = Json::parse(run.out, nullptr, false);
    EXPECT_TRUE(object.is_object()) << run.out;
    return object;
  }

  std::string Origin(int site) const {
    return site == 1 ? sites_.site1Origin() : sites_.site2Origin();
  }

  SampleSites sites_;
  ScratchDirectory scratch_;
  std::filesystem::path dir_{scratch_.path()};
};

Json FailureMessages() {
  return Json::array({{{"title", U8(u8"Keldan小说-温馨提醒：")},
                       {"text", U8(u8"未获取到对应资源，请检查您的网络配置是否正常！！！")}}});
}

TEST_F(TevrinCliTest, SearchListsTheResultsOfEitherSite) {
  struct Case {
    int site;
    Text keyword;
  };
  const Case cases[] = {{1, SampleSearchKeywords().few}, {2, SampleSearchKeywords().fourteen}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.site);
    const std::vector<const SampleBook*> books = SampleBooksNamed(c.keyword);
    ASSERT_FALSE(books.empty());
    const Json object = RunJson({"search", "--site", std::to_string(c.site), Utf8(c.keyword)}, 0);
    EXPECT_EQ(object["page"], 0);
    EXPECT_EQ(object["button"], Json({{"caption", U8(u8"搜索资源")}, {"enabled", true}}));
    EXPECT_EQ(object["messages"], Json::array());
    ASSERT_EQ(object["rows"].size(), books.size());
    const Json& first = object["rows"][0];
    ASSERT_EQ(first.size(), 6u);
    EXPECT_EQ(first[0], Utf8(books[0]->name));
    EXPECT_EQ(first[2], Utf8(books[0]->author));
    EXPECT_EQ(first[5], Origin(c.site) + "/book/" + std::to_string(books[0]->id) + "/");
  }
}

TEST_F(TevrinCliTest, SearchWithoutResultsShowsTheFailureAndExitsWithOne) {
  const std::string keyword = Utf8(SampleSearchKeywords().none);
  const Json object = RunJson({"search", keyword}, 1);
  EXPECT_EQ(object["rows"], Json::array());
  EXPECT_EQ(object["messages"], FailureMessages());
  EXPECT_EQ(object["button"]["enabled"], true);

  const CliRun plain = Run({"search", keyword});
  EXPECT_EQ(plain.exitCode, 1);
  EXPECT_EQ(plain.out, "");
  EXPECT_EQ(plain.err,
            U8(u8"Keldan小说-温馨提醒：未获取到对应资源，请检查您的网络配置是否正常！！！\n"));
}

TEST_F(TevrinCliTest, PlainSearchIsATableWithAlignedColumns) {
  const CliRun run = Run({"search", Utf8(SampleSearchKeywords().few)});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 4u) << run.out;
  EXPECT_THAT(lines[0], StartsWith(U8(u8"文章名称")));
  const std::size_t linkColumn = Columns(lines[0].substr(0, lines[0].find(U8(u8"链接"))));
  for (std::size_t i = 1; i < lines.size(); ++i) {
    SCOPED_TRACE(lines[i]);
    const std::size_t at = lines[i].find(sites_.site1Origin());
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(Columns(lines[i].substr(0, at)), linkColumn);
  }
}

TEST_F(TevrinCliTest, TocListsTheChaptersOfABookOnEitherSite) {
  for (const int site : {1, 2}) {
    SCOPED_TRACE(site);
    const SampleBook& book = *FindSampleBook(site == 1 ? 1 : 11);
    const std::string bookUrl = Origin(site) + "/book/" + std::to_string(book.id) + "/";
    const Json object =
        RunJson({"toc", "--site", std::to_string(site), "--name", Utf8(book.name), bookUrl}, 0);
    EXPECT_EQ(object["page"], 1);
    EXPECT_EQ(object["label"], U8(u8"《") + Utf8(book.name) + U8(u8"》"));
    EXPECT_EQ(object["messages"], Json::array());
    ASSERT_EQ(object["rows"].size(), static_cast<std::size_t>(book.chapterCount));
    EXPECT_EQ(object["rows"][0],
              Json({"1", Utf8(SampleChapterTitle(book, 1)), bookUrl + "1.html"}));
    EXPECT_EQ(object["rows"].back()[0], std::to_string(book.chapterCount));
  }
}

TEST_F(TevrinCliTest, ReadShowsTheChapterAndRecordsItInTheGivenFolder) {
  struct Case {
    int site;
    int bookId;
    const char8_t* source;
  };
  const Case cases[] = {{1, 1, u8"笔趣阁"}, {2, 11, u8"顶点网"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.site);
    const SampleBook& book = *FindSampleBook(c.bookId);
    const std::string path = "/book/" + std::to_string(book.id) + "/";
    const std::string chapterUrl = Origin(c.site) + path + "2.html";
    const Json object = RunJson(
        {"read", "--site", std::to_string(c.site), "--record-dir", dir_.string(), chapterUrl}, 0);
    EXPECT_EQ(object["page"], 2);
    EXPECT_EQ(object["title"], Utf8(SampleChapterTitle(book, 2)));
    EXPECT_THAT(object["text"].get<std::string>(), HasSubstr("\r\n"));
    EXPECT_THAT(object["text"].get<std::string>(), Not(HasSubstr("<")));
    // Site-2 pages link their neighbours relative to the site.
    const std::string prefix = c.site == 1 ? Origin(1) + path : path;
    EXPECT_EQ(object["prev"], prefix + "1.html");
    EXPECT_EQ(object["next"], prefix + "3.html");
    EXPECT_EQ(object["messages"], Json::array());

    const std::string record = Utf8(ReadFile(dir_ / U8(u8"配置.ini")));
    EXPECT_THAT(record, HasSubstr(U8(u8"文章记录=") + chapterUrl + "\r\n"));
    EXPECT_THAT(record, HasSubstr(U8(u8"来源=") + U8(c.source) + "\r\n"));
    EXPECT_THAT(record, HasSubstr(U8(u8"章节名称=") + object["title"].get<std::string>()));
  }
}

TEST_F(TevrinCliTest, ReadOfAnEmptyPageShowsTheFailureAndRecordsNothing) {
  sites_.Override(1, "/book/1/1.html", {200, "text/html", "", {}});
  const Json object =
      RunJson({"read", "--record-dir", dir_.string(), Origin(1) + "/book/1/1.html"}, 1);
  EXPECT_EQ(object["messages"], FailureMessages());
  EXPECT_EQ(object["title"], "");
  EXPECT_FALSE(std::filesystem::exists(dir_ / U8(u8"配置.ini")));
}

TEST_F(TevrinCliTest, PlainReadIsTheTitleABlankLineAndTheText) {
  const CliRun run = Run({"read", "--record-dir", dir_.string(), Origin(1) + "/book/1/1.html"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], Utf8(SampleChapterTitle(*FindSampleBook(1), 1)));
  EXPECT_EQ(lines[1], "");
  EXPECT_THAT(lines[2], StartsWith("     "));
  EXPECT_THAT(run.out, Not(HasSubstr("\r")));
}

TEST_F(TevrinCliTest, NavLoadsTheNeighbourOrStopsAtTheEndOfTheBook) {
  const SampleBook& book = *FindSampleBook(1);
  const std::string site1Book = Origin(1) + "/book/1/";
  const std::string site2Book = Origin(2) + "/book/11/";
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    int page;
    std::string title;
    Json messages;
  };
  const Case cases[] = {
      {"next on site 1",
       {"nav", "--book", site1Book, "next", site1Book + "3.html"},
       0,
       0,
       Utf8(SampleChapterTitle(book, 3)),
       Json::array()},
      {"next on site 2, relative address",
       {"nav", "--site", "2", "--book", site2Book, "next", "/book/11/2.html"},
       0,
       0,
       Utf8(SampleChapterTitle(*FindSampleBook(11), 2)),
       Json::array()},
      {"prev from the first chapter",
       {"nav", "--book", site1Book, "prev", site1Book},
       1,
       1,
       "",
       Json::array(
           {{{"title", U8(u8"信息：")}, {"text", U8(u8"已达第一章！！！没有更多内容了")}}})},
      {"no book: an empty address is the end",
       {"nav", "next", ""},
       1,
       1,
       "",
       Json::array(
           {{{"title", U8(u8"信息：")}, {"text", U8(u8"已达最后一章！！！没有更多内容了")}}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Json object = RunJson(c.args, c.exitCode);
    EXPECT_EQ(object["page"], c.page);
    EXPECT_EQ(object["title"], c.title);
    EXPECT_EQ(object["messages"], c.messages);
  }
}

TEST_F(TevrinCliTest, FetchSendsTheArgumentsAndReportsTheResponse) {
  // The page declares UTF-8, so the text comes back through GBK and out as UTF-8 again.
  const std::string body = U8(u8"<meta charset=\"utf-8\">你好");
  RawResponder server(
      RawResponder::Reply("HTTP/1.1 200 OK\r\nSet-Cookie: s=2; Path=/\r\n"
                          "Content-Length: " +
                          std::to_string(body.size()) + "\r\n\r\n" + body));
  const Json object =
      RunJson({"fetch", "--method", "1", "--header", "X-One: 1", "--header", "X-Two: 2",
               "--cookies", "a=1", "--body", "k=v", server.Origin() + "/form?x=1"},
              0);
  EXPECT_EQ(object["text"], body);
  EXPECT_EQ(object["statusText"], "200 OK");
  EXPECT_THAT(object["responseHeaders"].get<std::string>(), StartsWith("HTTP/1.1 200 OK\r\n"));
  EXPECT_THAT(object["responseCookies"].get<std::string>(), HasSubstr("s=2"));
  EXPECT_THAT(object["cookies"].get<std::string>(), HasSubstr("a=1"));
  EXPECT_THAT(object["cookies"].get<std::string>(), HasSubstr("s=2"));
  EXPECT_EQ(object["bodyLength"], body.size());

  ASSERT_EQ(server.Requests().size(), 1u);
  const std::string request = server.Requests()[0];
  EXPECT_THAT(request, StartsWith("POST /form?x=1 HTTP/1.1\r\n"));
  EXPECT_THAT(request, HasSubstr("\r\nX-One: 1\r\n"));
  EXPECT_THAT(request, HasSubstr("\r\nX-Two: 2\r\n"));
  EXPECT_THAT(request, HasSubstr("\r\nCookie: a=1"));
  EXPECT_THAT(request, HasSubstr("\r\n\r\nk=v"));
}

TEST_F(TevrinCliTest, FetchWithoutRedirectsReportsTheLocation) {
  RawResponder server(RawResponder::Reply(
      "HTTP/1.1 302 Found\r\nLocation: /elsewhere\r\nContent-Length: 0\r\n\r\n"));
  const Json object = RunJson({"fetch", "--no-redirects", server.Origin() + "/"}, 0);
  EXPECT_EQ(object["statusText"], "302 Found");
  EXPECT_EQ(object["redirectLocation"], "/elsewhere");
  EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(TevrinCliTest, AFailedFetchExitsWithOneAndSaysWhy) {
  std::string url;
  {
    // A port that was just listening and no longer is.
    RawResponder gone(RawResponder::Reply(""));
    url = gone.Origin() + "/";
  }
  const Json object = RunJson({"fetch", url}, 1);
  EXPECT_EQ(object["text"], "");
  EXPECT_EQ(object["statusText"], U8(u8"711 发送请求失败!"));

  const CliRun plain = RunRaw({"fetch", url});
  EXPECT_EQ(plain.exitCode, 1);
  EXPECT_EQ(plain.out, "");
  EXPECT_EQ(plain.err, U8(u8"tevrin-cli: 711 发送请求失败!\n"));
}

TEST_F(TevrinCliTest, UsageErrorsExitWithTwoAndOneLine) {
  const std::vector<std::string> cases[] = {
      {},
      {"search"},
      {"unknown"},
      {"search", "--site", "3", "x"},
      {"toc", "https://a.example/book/1/"},
      {"nav", "up", "https://a.example/1.html"},
      {"read", "--record-dir", (dir_ / "missing").string(), "https://a.example/1.html"},
      {"fetch", "--user", "u", "https://a.example/"},
      {"fetch", "--method", "post", "https://a.example/"},
      {"--site1", "ftp://a.example", "search", "x"},
      {"--site2", "https://a.example/path", "search", "x"},
  };
  for (const std::vector<std::string>& args : cases) {
    SCOPED_TRACE(testing::PrintToString(args));
    const CliRun run = RunRaw(args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(run.err, StartsWith("tevrin-cli: "));
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }

  const CliRun help = RunRaw({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_THAT(help.out, HasSubstr("fetch"));
}

}  // namespace
}  // namespace tevrin
