#include "text/regex_object.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "text/code_page.h"

namespace tevrin {
namespace {

using Option = std::optional<bool>;
constexpr Option kOmitted = std::nullopt;

std::vector<Text> AllMatches(const RegexObject& regex) {
  std::vector<Text> texts;
  for (int m = 1; m <= regex.MatchCount(); ++m) texts.push_back(regex.MatchText(m));
  return texts;
}

std::vector<Text> Groups(const RegexObject& regex, int match) {
  std::vector<Text> texts;
  for (int g = 1; g <= regex.GroupCount(); ++g) texts.push_back(regex.GroupText(match, g));
  return texts;
}

void ExpectNothingToRead(const RegexObject& regex) {
  EXPECT_EQ(regex.MatchCount(), 0);
  EXPECT_EQ(regex.GroupCount(), 0);
  EXPECT_EQ(regex.MatchText(1), "");
  EXPECT_EQ(regex.GroupText(1, 1), "");
  EXPECT_EQ(regex.GetPattern(), "");
  EXPECT_EQ(regex.Replace("x"), "");
  int position = 77;
  regex.MatchText(1, &position);
  regex.GroupText(1, 1, &position);
  EXPECT_EQ(position, 77);
}

TEST(RegexObjectTest, FreshObjectHasNothingToRead) {
  RegexObject regex;
  ExpectNothingToRead(regex);
}

TEST(RegexObjectTest, FailureLeavesNothingOfTheEarlierRun) {
  struct Case {
    const char* name;
    Text pattern;
    Text subject;
  };
  const Case cases[] = {
      {"unbalanced (", "(a", "a a"},
      {"unbalanced )", "a)", "a a"},
      {"open class", "[a", "a a"},
      {"nothing to repeat", "*a", "a a"},
      {"bounds out of order", "a{2,1}", "a a"},
      {"trailing backslash", "a\\", "a a"},
      {"UCP switched on by the pattern", "(*UCP)a", "a a"},
      {"\\C could split a surrogate pair", "a\\Cb", "a a"},
      // A partial list of matches must not pass for the whole one.
      {"runaway backtracking", "(a+)+$", std::string(40, 'a') + "b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RegexObject regex;
    ASSERT_TRUE(regex.Execute("(a)", "a a"));
    ASSERT_EQ(regex.MatchCount(), 2);
    EXPECT_FALSE(regex.Execute(c.pattern, c.subject));
    ExpectNothingToRead(regex);
  }
}

TEST(RegexObjectTest, NoMatchIsAnEmptyCollectionNotAFailure) {
  RegexObject regex;
  ASSERT_TRUE(regex.Execute("<dd>(.*?)</dd>", "<p>nothing here</p>"));
  EXPECT_EQ(regex.MatchCount(), 0);
  EXPECT_EQ(regex.GroupCount(), 0);
  EXPECT_EQ(regex.GroupText(1, 1), "");
  EXPECT_EQ(regex.GetPattern(), "<dd>(.*?)</dd>");
  EXPECT_EQ(regex.Replace("x"), "<p>nothing here</p>");
}

TEST(RegexObjectTest, NumbersOutOfRangeGiveEmptyTextAndLeavePositionAlone) {
  RegexObject regex;
  ASSERT_TRUE(regex.Execute("(\\d)(x)?", "1 2x"));
  ASSERT_EQ(regex.MatchCount(), 2);
  ASSERT_EQ(regex.GroupCount(), 2);
  struct Case {
    int match;
    int group;  // 0 reads MatchText
    Text expected;
    bool exists;
  };
  const Case cases[] = {
      {1, 1, "1", true},       {2, 2, "x", true},       {2, 0, "2x", true},
      {1, 2, "", true},  // group without a part in this match
      {0, 1, "", false},       {-1, 1, "", false},      {3, 1, "", false},
      {3, 0, "", false},       {0, 0, "", false},       {INT_MAX, 1, "", false},
      {INT_MIN, 1, "", false}, {1, -1, "", false},      {1, 3, "", false},
      {1, INT_MAX, "", false}, {1, INT_MIN, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "match " << c.match << " group " << c.group);
    int position = 77;
    const Text text = c.group == 0 ? regex.MatchText(c.match, &position)
                                   : regex.GroupText(c.match, c.group, &position);
    EXPECT_EQ(text, c.expected);
    EXPECT_EQ(position != 77, c.exists);
  }
  int position = 77;
  EXPECT_EQ(regex.GroupText(2, 0, &position), "");  // group numbers count from 1
  EXPECT_EQ(position, 77);
}

TEST(RegexObjectTest, OptionsAndTheirDefaults) {
  struct Case {
    const char* name;
    const char* pattern;
    const char* subject;
    Option caseSensitive;
    Option multiline;
    Option global;
    std::vector<Text> expected;
  };
  const Case cases[] = {
      {"case ignored when omitted", "abc", "ABC aBc", kOmitted, kOmitted, kOmitted, {"ABC", "aBc"}},
      {"case ignored when false", "abc", "ABC aBc", false, kOmitted, kOmitted, {"ABC", "aBc"}},
      {"case sensitive", "abc", "ABC abc", true, kOmitted, kOmitted, {"abc"}},
      {"multiline when omitted",
       "^\\w+$",
       "one\ntwo",
       kOmitted,
       kOmitted,
       kOmitted,
       {"one", "two"}},
      {"multiline off: ^ only at the start",
       "^\\w+",
       "one\ntwo",
       kOmitted,
       false,
       kOmitted,
       {"one"}},
      {"multiline off: $ only at the very end",
       "\\w+$",
       "one\ntwo\n",
       kOmitted,
       false,
       kOmitted,
       {}},
      {"multiline explicitly on", "\\w+$", "one\ntwo\n", kOmitted, true, kOmitted, {"one", "two"}},
      {"all matches when omitted", "\\d", "1 2 3", kOmitted, kOmitted, kOmitted, {"1", "2", "3"}},
      {"all matches when true", "\\d", "1 2 3", kOmitted, kOmitted, true, {"1", "2", "3"}},
      {"first match only", "\\d", "1 2 3", kOmitted, kOmitted, false, {"1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RegexObject regex;
    ASSERT_TRUE(regex.Execute(c.pattern, c.subject, c.caseSensitive, c.multiline, c.global));
    EXPECT_EQ(AllMatches(regex), c.expected);
  }
}

TEST(RegexObjectTest, DialectThePatternsRelyOn) {
  struct Case {
    const char* name;
    Text pattern;
    Text subject;
    std::vector<Text> expected;
  };
  const Case cases[] = {
      {"dot stops at a line feed", "a.*", "abc\ndef a", {"abc", "a"}},
      {"dot crosses a carriage return", "a.c", "a\rc", {"a\rc"}},
      {"lazy capture stays on its line", "<t>(.*?)</t>", "<t>a\nb</t><t>c</t>", {"<t>c</t>"}},
      {"[\\s|\\S] crosses lines", "<b>[\\s|\\S]*?</b>", "<b>x\r\ny\n</b>", {"<b>x\r\ny\n</b>"}},
      {"lazy stops early", "<i>.*?</i>", "<i>1</i><i>2</i>", {"<i>1</i>", "<i>2</i>"}},
      {"greedy runs on", "<i>.+</i>", "<i>1</i><i>2</i>", {"<i>1</i><i>2</i>"}},
      {"\\s is ASCII only", "\\s", Gbk(u8"甲　乙 丙\t丁"), {" ", "\t"}},
      {"\\w is ASCII only", "\\w+", Gbk(u8"ab第一cd"), {"ab", "cd"}},
      {"[^\\w] takes hanzi", "[^\\w]+", Gbk(u8"ab第一cd"), {Gbk(u8"第一")}},
      {"leading - in a class is literal", "[-\\w]+", "charset=utf-8;", {"charset", "utf-8"}},
      {"hanzi literal", Gbk(u8"作者：(\\S+)"), Gbk(u8"作者：白露"), {Gbk(u8"作者：白露")}},
      // 丄 and 乤 are 81 41 and 81 61: their trail bytes are "A" and "a".
      {"trail bytes are not letters", "a", Gbk(u8"丄乤"), {}},
      {"empty match moves on one character", "\\d*", "a12b", {"", "12", "", ""}},
      {"hanzi is one character", "", Gbk(u8"第一"), {"", "", ""}},
      {"\\u escape", "\\u7B2C.", Gbk(u8"第一"), {Gbk(u8"第一")}},
      {"back-reference", "(['\"])(\\w+)\\1", "'a\" \"b\"", {"\"b\""}},
      {"reference to a group without a part", "(x)?y\\1", "y", {"y"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RegexObject regex;
    ASSERT_TRUE(regex.Execute(c.pattern, c.subject));
    EXPECT_EQ(AllMatches(regex), c.expected);
  }
}

TEST(RegexObjectTest, EveryCharacterCutsBackToItsOwnBytes) {
  // Mixed single- and double-byte characters at every length around the internal byte
  // checkpoints; 丄 (81 41) has an ASCII-looking trail byte.
  const Text pieces[] = {"a", Gbk(u8"第"), "\r", Gbk(u8"丄"), "\x80", Gbk(u8"　")};
  Text subject;
  for (int length = 1; length <= 70; ++length) {
    subject += pieces[(length * 7) % 6];
    SCOPED_TRACE(length);
    RegexObject regex;
    ASSERT_TRUE(regex.Execute(".", subject));
    ASSERT_EQ(regex.MatchCount(), length);
    Text joined;
    for (int m = 1; m <= length; ++m) joined += regex.MatchText(m);
    EXPECT_EQ(joined, subject);
  }
}

TEST(RegexObjectTest, SiteOneSearchResultRow) {
  const Text pattern =
      "<td class=\"odd\"><a href=\"(.*?)\"[\\s|\\S]*?>(.*?)</a></td>[\\s|\\S]*?target=\"_blank\">"
      "(.*?)</a></td>[\\s|\\S]*?<td class=\"odd\">(.*?)</td>[\\s|\\S]*?align=\"center\">(.*?)</"
      "td>[\\s|\\S]*?align=\"center\">(.*?)</td>";
  const Text page = Gbk(
      u8"<table class=\"grid\">\r\n"
      u8"<tr>\r\n"
      u8"  <td class=\"odd\"><a "
      u8"href=\"https://www.biquge.example/book/1024/\">青石山传</a></td>\r\n"
      u8"  <td class=\"even\"><a href=\"https://www.biquge.example/book/1024/889.html\" "
      u8"target=\"_blank\">第八十九章 夜渡</a></td>\r\n"
      u8"  <td class=\"odd\">柳半窗</td>\r\n"
      u8"  <td class=\"even\">2.1M</td>\r\n"
      u8"  <td class=\"odd\" align=\"center\">24-03-17</td>\r\n"
      u8"  <td class=\"even\" align=\"center\">连载</td>\r\n"
      u8"</tr>\r\n"
      u8"<tr>\r\n"
      u8"  <td class=\"odd\"><a href=\"https://www.biquge.example/book/2048/\">雾港</a></td>\r\n"
      u8"  <td class=\"even\"><a href=\"https://www.biquge.example/book/2048/12.html\" "
      u8"target=\"_blank\">第十二章</a></td>\r\n"
      u8"  <td class=\"odd\">南乔</td>\r\n"
      u8"  <td class=\"even\">300K</td>\r\n"
      u8"  <td class=\"odd\" align=\"center\">23-11-02</td>\r\n"
      u8"  <td class=\"even\" align=\"center\">完成</td>\r\n"
      u8"</tr>\r\n</table>\r\n");
  RegexObject regex;
  ASSERT_TRUE(regex.Execute(pattern, page));
  ASSERT_EQ(regex.MatchCount(), 2);
  EXPECT_EQ(regex.GroupCount(), 6);
  EXPECT_EQ(Groups(regex, 1), (std::vector<Text>{"https://www.biquge.example/book/1024/",
                                                 Gbk(u8"青石山传"), Gbk(u8"第八十九章 夜渡"),
                                                 Gbk(u8"柳半窗"), "24-03-17", Gbk(u8"连载")}));
  EXPECT_EQ(Groups(regex, 2),
            (std::vector<Text>{"https://www.biquge.example/book/2048/", Gbk(u8"雾港"),
                               Gbk(u8"第十二章"), Gbk(u8"南乔"), "23-11-02", Gbk(u8"完成")}));
}

TEST(RegexObjectTest, SiteTwoSearchResultRow) {
  const Text pattern = Gbk(
      u8"<h3><a href=\"(.*?)\"[\\s|\\S]*?color:red;\">(.*?)</a></h3>[\\s|\\S]*?<p>作者：<i>(.*?)"
      u8"</i>[\\s|\\S]*?状态：<i>(.*?)</i>[\\s|\\S]*?\">(.*?)</a>[\\s|\\S]*?更新时间：<i>(.*?)"
      u8"</i></p>");
  const Text page =
      Gbk(u8"<div class=\"result-item\">\n"
          u8"  <h3><a href=\"/77_77123/\" target=\"_blank\"><em style=\"color:red;\">云上人家</a>"
          u8"</h3>\n"
          u8"  <p>作者：<i>白露</i>　类型：<i>都市</i></p>\n"
          u8"  <p>状态：<i>连载中</i></p>\n"
          u8"  <p>最新：<a href=\"/77_77123/9001.html\">第九十章 归途</a></p>\n"
          u8"  <p>更新时间：<i>2024-03-17</i></p>\n"
          u8"</div>\n");
  RegexObject regex;
  ASSERT_TRUE(regex.Execute(pattern, page));
  ASSERT_EQ(regex.MatchCount(), 1);
  EXPECT_EQ(Groups(regex, 1),
            (std::vector<Text>{"/77_77123/", Gbk(u8"云上人家"), Gbk(u8"白露"), Gbk(u8"连载中"),
                               Gbk(u8"第九十章 归途"), "2024-03-17"}));
}

TEST(RegexObjectTest, ChapterListIgnoresTagCaseAndCrossesLines) {
  const Text pattern = "<dd><a href=\"(.*?)\"[\\s|\\S]*?>(.*?)</a></dd>";
  const Text page =
      Gbk(u8"<dl>\r\n<dt>《青石山传》正文</dt>\r\n"
          u8"<DD><A HREF=\"/1_1024/1.html\">第一章 入山</A></DD>\r\n"
          u8"<dd><a href=\"/1_1024/2.html\"\r\n   title=\"第二章\">第二章 问路</a></dd>\r\n"
          u8"<dd><a href=\"/1_1024/3.html\">第三章 丄乤</a></dd>\r\n</dl>\r\n");
  RegexObject regex;
  ASSERT_TRUE(regex.Execute(pattern, page));
  ASSERT_EQ(regex.MatchCount(), 3);
  EXPECT_EQ(Groups(regex, 1), (std::vector<Text>{"/1_1024/1.html", Gbk(u8"第一章 入山")}));
  EXPECT_EQ(Groups(regex, 2), (std::vector<Text>{"/1_1024/2.html", Gbk(u8"第二章 问路")}));
  EXPECT_EQ(Groups(regex, 3), (std::vector<Text>{"/1_1024/3.html", Gbk(u8"第三章 丄乤")}));

  ASSERT_TRUE(regex.Execute(pattern, page, true));
  EXPECT_EQ(regex.MatchCount(), 2);
}

TEST(RegexObjectTest, DeclaredCharset) {
  const Text pattern = "<meta.+?charset=[^\\w]?([-\\w]+)";
  struct Case {
    const char* name;
    const char* page;
    const char* expected;
  };
  const Case cases[] = {
      {"http-equiv",
       "<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\" />", "gbk"},
      {"charset attribute, capitals", "<HEAD><META CHARSET=\"UTF-8\"><title>x</title>", "UTF-8"},
      {"single quote", "<meta charset='big5'>", "big5"},
      {"not across lines", "<meta name=\"x\">\ncharset=utf-8", ""},
      {"no meta", "<html><body>charset=utf-8</body></html>", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RegexObject regex;
    ASSERT_TRUE(regex.Execute(pattern, c.page));
    EXPECT_EQ(regex.GroupText(1, 1), c.expected);
  }
}

TEST(RegexObjectTest, QuoteMarkerTranslation) {
  const Text pattern = Gbk(u8"a#引号b");
  struct Case {
    const char* name;
    Option translate;
    Text subject;
    Text expectedPattern;
    int expectedCount;
  };
  const Case cases[] = {
      {"translated", true, "xa\"by", "a\"b", 1},
      {"omitted keeps the marker", kOmitted, "xa\"by", pattern, 0},
      {"omitted matches the marker itself", kOmitted, Gbk(u8"xa#引号by"), pattern, 1},
      {"false keeps the marker", false, Gbk(u8"xa#引号by"), pattern, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RegexObject regex;
    ASSERT_TRUE(regex.Execute(pattern, c.subject, kOmitted, kOmitted, kOmitted, c.translate));
    EXPECT_EQ(regex.GetPattern(), c.expectedPattern);
    EXPECT_EQ(regex.MatchCount(), c.expectedCount);
  }
}

TEST(RegexObjectTest, SecondExecuteDiscardsTheFirst) {
  RegexObject regex;
  ASSERT_TRUE(regex.Execute("(\\w)(\\w)(\\w)", "abc def ghi"));
  ASSERT_EQ(regex.MatchCount(), 3);
  ASSERT_TRUE(regex.Execute("(\\d)", "x1", kOmitted, kOmitted, false));
  EXPECT_EQ(regex.MatchCount(), 1);
  EXPECT_EQ(regex.GroupCount(), 1);
  EXPECT_EQ(regex.GroupText(1, 3), "");
  EXPECT_EQ(regex.GroupText(2, 1), "");
  EXPECT_EQ(regex.GetPattern(), "(\\d)");
  EXPECT_EQ(regex.Replace("#"), "x#");
}

TEST(RegexObjectTest, CopySharesTheRunAndOutlivesTheOriginalsNextRun) {
  auto original = std::make_unique<RegexObject>();
  ASSERT_TRUE(original->Execute(Gbk(u8"第(.)章"), Gbk(u8"第一章 第二章")));
  RegexObject copy(*original);
  RegexObject assigned;
  assigned = *original;
  ASSERT_TRUE(original->Execute("x", "y"));
  original.reset();
  for (const RegexObject* regex : {&copy, &assigned}) {
    EXPECT_EQ(regex->MatchCount(), 2);
    EXPECT_EQ(regex->GroupText(2, 1), Gbk(u8"二"));
    EXPECT_EQ(regex->GetPattern(), Gbk(u8"第(.)章"));
    EXPECT_EQ(regex->Replace("[$1]"), "[" + Gbk(u8"一") + "] [" + Gbk(u8"二") + "]");
  }
  RegexObject empty;
  assigned = empty;
  ExpectNothingToRead(assigned);
}

TEST(RegexObjectTest, PositionSearchesFromTheMatchStartInUnitsTakenAsBytes) {
  struct Case {
    const char* name;
    Text pattern;
    Text subject;
    Option caseSensitive;
    int match;
    int group;  // 0 reads MatchText
    Text expectedText;
    int expectedPosition;
  };
  const Case cases[] = {
      {"plain ASCII", "c", "abcabc", kOmitted, 2, 0, "c", 5},
      {"ASCII after hanzi keeps its place", "abc", Gbk(u8"第一章 abc ABC"), kOmitted, 2, 0, "ABC",
       11},
      // 第 x b x: the match "bx" starts at unit 2, but byte 3 is the first "x".
      {"group searched from the match start", "b(x)", Gbk(u8"第xbx"), kOmitted, 1, 1, "x", 2},
      {"case ignored finds either case", "b(X)", Gbk(u8"第xbX"), kOmitted, 1, 1, "X", 2},
      {"case sensitive skips the other case", "b(X)", Gbk(u8"第xbX"), true, 1, 1, "X", 4},
      // The byte FF decodes to U+FFFD, which comes back as "?", a text the subject lacks.
      {"text changed by conversion", "[\\s|\\S]+", "a\xFF", kOmitted, 1, 0, "a?", -2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RegexObject regex;
    ASSERT_TRUE(regex.Execute(c.pattern, c.subject, c.caseSensitive));
    int position = 77;
    const Text text = c.group == 0 ? regex.MatchText(c.match, &position)
                                   : regex.GroupText(c.match, c.group, &position);
    EXPECT_EQ(text, c.expectedText);
    EXPECT_EQ(position, c.expectedPosition);
  }
}

TEST(RegexObjectTest, Replace) {
  struct Case {
    const char* name;
    Text pattern;
    Text subject;
    Option global;
    std::optional<Text> replacement;  // nullopt: omitted
    Text expected;
  };
  const Case cases[] = {
      {"every match", "\\d", "a1b2", kOmitted, "#", "a#b#"},
      {"first only", "\\d", "a1b2", false, "#", "a#b2"},
      {"omitted replacement removes", "\\s", "a b\tc", kOmitted, std::nullopt, "abc"},
      {"groups", "(\\w+)=(\\w+)", "k=v;x=y", kOmitted, "$2:$1", "v:k;y:x"},
      {"whole match and dollar", "\\d+", "x12", kOmitted, "[$&]$$", "x[12]$"},
      {"before and after", "b", "abc", kOmitted, "<$`|$'>", "a<a|c>c"},
      {"no such group stays literal", "(a)", "a", kOmitted, "$2$0$x$", "$2$0$x$"},
      {"one digit when two name no group", "(a)", "a", kOmitted, "$12", "a2"},
      {"two digits", "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)", "abcdefghijkl", kOmitted, "$12$1",
       "la"},
      {"group without a part", "(x)?y", "y", kOmitted, "[$1]", "[]"},
      {"empty matches", "x*", "abc", kOmitted, "-", "-a-b-c-"},
      {"hanzi", Gbk(u8"第(.)章"), Gbk(u8"第一章 第二章"), kOmitted, "$1", Gbk(u8"一 二")},
      {"no match", "z", "abc", kOmitted, "#", "abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RegexObject regex;
    ASSERT_TRUE(regex.Execute(c.pattern, c.subject, kOmitted, kOmitted, c.global));
    EXPECT_EQ(c.replacement ? regex.Replace(*c.replacement) : regex.Replace(), c.expected);
  }
}

TEST(RegexObjectTest, UndecodableSubjectStillMatchesTheRest) {
  struct Case {
    const char* name;
    Text subject;
    std::vector<Text> words;
    Text whole;
  };
  const Case cases[] = {
      {"truncated character at the end", "ab \x81", {"ab"}, "ab ?"},
      {"byte FF",
       "ab\xFF"
       "cd",
       {"ab", "cd"},
       "ab?cd"},
      {"lead byte with an ASCII follower", "ab\x81 cd", {"ab", "cd"}, "ab? cd"},
      {"euro sign is a character",
       "ab\x80"
       "cd",
       {"ab", "cd"},
       "ab\x80"
       "cd"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RegexObject regex;
    ASSERT_TRUE(regex.Execute("(\\w+)", c.subject));
    std::vector<Text> words;
    for (int m = 1; m <= regex.MatchCount(); ++m) words.push_back(regex.GroupText(m, 1));
    EXPECT_EQ(words, c.words);
    ASSERT_TRUE(regex.Execute("^[\\s|\\S]*$", c.subject, kOmitted, false));
    EXPECT_EQ(regex.MatchText(1), c.whole);
  }
}

TEST(RegexObjectTest, SeveralMebibytesWithManyMatches) {
  const Text line = Gbk(u8"<dd><a href=\"/9_9999/100000.html\">第十万章 长夜</a></dd>\r\n");
  const int lines = 5 * 1024 * 1024 / static_cast<int>(line.size()) + 1;
  struct Case {
    const char* name;
    Text head;
  };
  // With an undecodable byte in front, group texts are converted rather than cut from the page.
  const Case cases[] = {{"valid page", "<dl>\r\n"}, {"undecodable first byte", "\xFF<dl>\r\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Text page = c.head;
    page.reserve(page.size() + line.size() * lines + 16);
    for (int i = 0; i < lines; ++i) page += line;
    page += "<dd><a href=\"/end.html\">end</a></dd>";
    RegexObject regex;
    ASSERT_TRUE(regex.Execute("<dd><a href=\"(.*?)\"[\\s|\\S]*?>(.*?)</a></dd>", page));
    ASSERT_EQ(regex.MatchCount(), lines + 1);
    EXPECT_EQ(regex.GroupText(1, 2), Gbk(u8"第十万章 长夜"));
    EXPECT_EQ(regex.GroupText(lines, 1), "/9_9999/100000.html");
    EXPECT_EQ(regex.GroupText(lines, 2), Gbk(u8"第十万章 长夜"));
    EXPECT_EQ(regex.GroupText(lines + 1, 1), "/end.html");
  }
}

// Short subjects run in the interpreter, long ones as machine code. A match that outgrows the
// machine code's first stack, or even the larger one made for it, still comes out whole.
TEST(RegexObjectTest, DeepMatchesBothSidesOfTheCompilingSize) {
  struct Case {
    const char* name;
    int pairs;
  };
  const Case cases[] = {
      {"interpreted", 1000}, {"compiled, larger stack", 4000}, {"beyond the larger stack", 40000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Text subject;
    for (int i = 0; i < c.pairs; ++i) subject += "ab";
    subject += "c;ab";
    RegexObject regex;
    ASSERT_TRUE(regex.Execute("(a|b)*c", subject));
    ASSERT_EQ(regex.MatchCount(), 1);
    EXPECT_EQ(regex.MatchText(1).size(), subject.size() - 3);
    EXPECT_EQ(regex.GroupText(1, 1), "b");
  }
}

}  // namespace
}  // namespace tevrin
