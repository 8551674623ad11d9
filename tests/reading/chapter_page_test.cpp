#include "reading/chapter_page.h"

#include <gtest/gtest.h>

#include "reading/chapter_cleaning.h"
#include "text/code_page.h"

namespace tevrin {
namespace {

const Text kOrigin = "https://two.example";

Text Site1Page() {
  return Gbk(
      u8"<html><h1>第三章 夜 &amp; 雪</h1>"
      u8"<a href=\"/\">投推荐票</a> <a href=\"https://one.example/b/2.html\">上一章</a>"
      u8"<a href=\"/b/\">目录</a> &rarr; <a href=\"https://one.example/b/4.html\">下一章</a>"
      u8"<div id=\"content\"><p>雪 落</p><p>夜深</p></div></html>");
}

Text Site2Page() {
  return Gbk(
      u8"<h1>第九章 归途</h1><div id=\"BookText\">路 很长&nbsp;风<br />停了</div>"
      u8"https://two.example加入书签</a><a href=\"/b/8.html\">上一页</a>"
      u8"https://two.example</a>&rarr;<ahref=\"/b/10.html\">下一页</a>");
}

TEST(ReadChapterPageTest, Site1TakesEveryPieceByItsMarkers) {
  const ChapterPage page = ReadChapterPage(Site1Page(), 1, kOrigin, "\r\n\r\n");
  EXPECT_EQ(page.title, Gbk(u8"第三章 夜 &amp; 雪"));
  EXPECT_EQ(page.text, Gbk(u8"     雪落\r\n\r\n     夜深\r\n\r\n"));
  EXPECT_EQ(page.prevChapterUrl, "https://one.example/b/2.html");
  EXPECT_EQ(page.nextChapterUrl, "https://one.example/b/4.html");
}

TEST(ReadChapterPageTest, Site2TakesEveryPieceByItsMarkersAndKeepsAddressesRelative) {
  // Any code but 1 reads a page by the rules of site 2.
  for (const int site : {2, 0}) {
    SCOPED_TRACE(site);
    const ChapterPage page = ReadChapterPage(Site2Page(), site, kOrigin, "\r\n\r\n");
    EXPECT_EQ(page.title, Gbk(u8"第九章 归途"));
    EXPECT_EQ(page.text, Gbk(u8"路很长 风\r\n停了"));
    EXPECT_EQ(page.prevChapterUrl, "/b/8.html");
    EXPECT_EQ(page.nextChapterUrl, "/b/10.html");
  }
}

TEST(ReadChapterPageTest, MissingMarkersGiveEmptyPieces) {
  struct Case {
    const char* name;
    Text page;
    int site;
    Text text;
  };
  const Case cases[] = {
      {"site 1, empty page: the indent alone", "", 1, "     "},
      {"site 2, empty page", "", 2, ""},
      {"site 1 page read by site-2 rules", Site1Page(), 2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ChapterPage page = ReadChapterPage(c.page, c.site, kOrigin, kLineBreak);
    EXPECT_EQ(page.text, c.text);
    EXPECT_EQ(page.prevChapterUrl, "");
    EXPECT_EQ(page.nextChapterUrl, "");
  }
  // The site-2 address markers begin with the site's own origin; another origin finds nothing.
  const ChapterPage other = ReadChapterPage(Site2Page(), 2, "https://elsewhere.example", "");
  EXPECT_EQ(other.prevChapterUrl, "");
  EXPECT_EQ(other.nextChapterUrl, "");
  EXPECT_EQ(other.title, Gbk(u8"第九章 归途"));
}

}  // namespace
}  // namespace tevrin
