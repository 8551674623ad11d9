#include "reading/chapter_page.h"

#include "reading/chapter_cleaning.h"
#include "text/code_page.h"
#include "text/markers.h"

namespace tevrin {

namespace {

ChapterPage ReadSite1(std::string_view page, std::string_view paragraphBreak) {
  static const Text textStart = "<div id=\"content\"><p>";
  static const Text prevStart = Gbk(u8"投推荐票</a> <a href=\"");
  static const Text prevEnd = Gbk(u8"\">上一章");
  static const Text nextStart = Gbk(u8"目录</a> &rarr; <a href=\"");
  static const Text nextEnd = Gbk(u8"\">下一章");
  ChapterPage result;
  result.title = TextBetween(page, "<h1>", "</h1>");
  result.text = CleanSite1Chapter(TextBetween(page, textStart, "</div>"), paragraphBreak);
  result.prevChapterUrl = TextBetween(page, prevStart, prevEnd);
  result.nextChapterUrl = TextBetween(page, nextStart, nextEnd);
  return result;
}

ChapterPage ReadSite2(std::string_view page, std::string_view origin) {
  static const Text textStart = "<div id=\"BookText\">";
  static const Text prevStart = Gbk(u8"加入书签</a><a href=\"");
  static const Text prevEnd = Gbk(u8"\">上一页");
  // No blank between "<a" and "href": the site writes its next link that way.
  static const Text nextStart = "</a>&rarr;<ahref=\"";
  static const Text nextEnd = Gbk(u8"\">下一页");
  ChapterPage result;
  result.title = TextBetween(page, "<h1>", "</h1>");
  result.text = CleanSite2Chapter(TextBetween(page, textStart, "</div>"));
  result.prevChapterUrl = TextBetween(page, Text(origin) + prevStart, prevEnd);
  result.nextChapterUrl = TextBetween(page, Text(origin) + nextStart, nextEnd);
  return result;
}

}  // namespace

ChapterPage ReadChapterPage(std::string_view page, int site, std::string_view site2Origin,
                            std::string_view paragraphBreak) {
  return site == 1 ? ReadSite1(page, paragraphBreak) : ReadSite2(page, site2Origin);
}

}  // namespace tevrin
