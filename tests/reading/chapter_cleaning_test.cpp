#include "reading/chapter_cleaning.h"

#include <gtest/gtest.h>

#include <random>
#include <string_view>

#include "text/code_page.h"

namespace tevrin {
namespace {

struct Case {
  const char* name;
  std::u8string_view text;
  std::u8string_view expected;
};

TEST(CleanSite1ChapterTest, ChapterJobSeparatesParagraphsByAnEmptyLine) {
  const Case cases[] = {
      {"two paragraphs, indent of five, inner blanks gone, empty line after each",
       u8"天色 渐暗</p><p>他推开　木门</p>", u8"     天色渐暗\r\n\r\n     他推开木门\r\n\r\n"},
      {"tags in capitals", u8"一</P><P>二</P>", u8"     一\r\n\r\n     二\r\n\r\n"},
      {"latin words run together", u8"hello world</p>", u8"     helloworld\r\n\r\n"},
      {"tabs and line breaks of the page stay", u8"甲\t乙\r\n丙</p>",
       u8"     甲\t乙\r\n丙\r\n\r\n"},
      {"other markup and entities stay", u8"<b>雨</b>&amp;</p>", u8"     <b>雨</b>&amp;\r\n\r\n"},
      {"nothing between the markers leaves the indent", u8"", u8"     "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CleanSite1Chapter(Gbk(c.text), "\r\n\r\n"), Gbk(c.expected));
  }
}

TEST(CleanSite1ChapterTest, NavigationSeparatesParagraphsByOneLineBreak) {
  EXPECT_EQ(CleanSite1Chapter(Gbk(u8"一 句</p><p>二句</p>"), kLineBreak),
            Gbk(u8"     一句\r\n     二句\r\n"));
}

TEST(CleanSite1ChapterTest, BlanksAreFoundOnlyAtCharacterBoundaries) {
  // 啊 (B0 A1) then ± (A1 C0): the bytes A1 A1 straddle two characters and are no full-width
  // blank.
  const Text text = "\xB0\xA1\xA1\xC0";
  EXPECT_EQ(CleanSite1Chapter(text, kLineBreak), "     " + text);
}

TEST(CleanSite2ChapterTest, BlanksGoAndOnlyEntitiesAndBreakTagsMakeSpaceAndLines) {
  const Case cases[] = {
      {"words run together where the page has ordinary blanks", u8"风 起了 one two",
       u8"风起了onetwo"},
      {"full-width blanks go too", u8"风　起", u8"风起"},
      {"&nbsp; in any case becomes a blank that stays", u8"甲&nbsp;&NBSP;乙&Nbsp;", u8"甲  乙 "},
      {"both spellings of the break tag, any case, beside the page's own breaks",
       u8"甲<br/>乙<br />丙<BR />\r\n丁", u8"甲\r\n乙\r\n丙\r\n\r\n丁"},
      {"other markup stays", u8"<p>甲</p>&amp;", u8"<p>甲</p>&amp;"},
      {"empty", u8"", u8""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CleanSite2Chapter(Gbk(c.text)), Gbk(c.expected));
  }
}

// The cleanings work in one pass; they must give exactly what removing the blanks and then
// replacing tag after tag gives, on text mixing the tags (split by blanks, in any case, behind
// lead bytes that swallow their first byte) with double-byte characters and stray lead bytes.
TEST(ChapterCleaningTest, OnePassEqualsBlanksThenEachReplacement) {
  static constexpr std::string_view kPieces[] = {
      " ", "\xA1\xA1", "\xA1", "\x81",  "\xB0\xA1", "\xA1\xA1\xA1", "<",      ">",
      "/", "p",        "P",    "<p>",   "</P>",     "< /p>",        "&",      "nbsp;",
      ";", "&NbSp;",   "br",   "<br/>", "<BR />",   "\x81<",        "\x81<p", "a"};
  std::mt19937 random(20240611u);
  std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
  std::uniform_int_distribution<int> length(0, 40);
  for (int round = 0; round < 3000; ++round) {
    Text text;
    for (int n = length(random); n > 0; --n) text += kPieces[piece(random)];
    SCOPED_TRACE(testing::PrintToString(text));
    const Text blankless = RemoveAllSpaces(text);
    const Text site1 = ReplaceAllIgnoreCase(
        ReplaceAllIgnoreCase("     " + blankless, "<p>", "     "), "</p>", "<\x81p>");
    EXPECT_EQ(CleanSite1Chapter(text, "<\x81p>"), site1);
    const Text site2 =
        ReplaceAllIgnoreCase(ReplaceAllIgnoreCase(blankless, "&nbsp;", " "), "<br/>", "\r\n");
    EXPECT_EQ(CleanSite2Chapter(text), site2);
  }
}

}  // namespace
}  // namespace tevrin
