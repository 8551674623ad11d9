#include "text/text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "text/code_page.h"

namespace tevrin {
namespace {

// Double-byte characters whose trail byte is an ASCII character: 丂 = 81 40 ("@"),
// 丄 = 81 41 ("A"), 乤 = 81 61 ("a").
constexpr char kTrailAt[] = "\x81\x40";
constexpr char kTrailUpperA[] = "\x81\x41";
constexpr char kTrailLowerA[] = "\x81\x61";
constexpr char kFullWidthSpace[] = "\xA1\xA1";

std::string Cat(std::initializer_list<std::string_view> parts) {
  std::string result;
  for (std::string_view part : parts) result.append(part);
  return result;
}

TEST(TextTest, TrailBytesAreTheCharactersAssumedHere) {
  EXPECT_EQ(Gbk(u8"丂"), kTrailAt);
  EXPECT_EQ(Gbk(u8"丄"), kTrailUpperA);
  EXPECT_EQ(Gbk(u8"乤"), kTrailLowerA);
  EXPECT_EQ(Gbk(u8"　"), kFullWidthSpace);
}

TEST(TextTest, LeftRightMiddleCountBytesAndClampAtTheEdges) {
  struct Case {
    const char* name;
    Text result;
    Text expected;
  };
  const Text hello = "hello";
  const Text chapter = Gbk(u8"第一章");
  const Case cases[] = {
      {"left 2", Left(hello, 2), "he"},
      {"left 0", Left(hello, 0), ""},
      {"left negative", Left(hello, -3), ""},
      {"left past end", Left(hello, 99), "hello"},
      {"left of empty", Left("", 3), ""},
      {"left counts bytes", Left(chapter, 2), Gbk(u8"第")},
      {"right 2", Right(hello, 2), "lo"},
      {"right 0", Right(hello, 0), ""},
      {"right negative", Right(hello, -1), ""},
      {"right past start", Right(hello, 99), "hello"},
      {"middle", Middle(hello, 2, 3), "ell"},
      {"middle to end", Middle(hello, 3), "llo"},
      {"middle count past end", Middle(hello, 4, 99), "lo"},
      {"middle count 0", Middle(hello, 2, 0), ""},
      {"middle start 0", Middle(hello, 0, 2), ""},
      {"middle start negative", Middle(hello, -5, 2), ""},
      {"middle start last byte", Middle(hello, 5, 1), "o"},
      {"middle start past end", Middle(hello, 6, 1), ""},
      {"middle of empty", Middle("", 1, 1), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.result, c.expected);
  }
}

TEST(TextTest, FindWalksCharactersFromTheStart) {
  struct Case {
    const char* name;
    Text text;
    Text what;
    long long start;
    bool ignoreCase;
    long long expected;
  };
  const Text book = Gbk(u8"书名：山海记");
  const Case cases[] = {
      {"first occurrence", "abcabc", "bc", 1, false, 2},
      {"at or after start", "abcabc", "bc", 3, false, 5},
      {"start on the occurrence", "abcabc", "bc", 5, false, 5},
      {"start 0 counts as 1", "abc", "a", 0, false, 1},
      {"negative start counts as 1", "abc", "a", -7, false, 1},
      {"start past end", "abc", "c", 4, false, -1},
      {"missing", "abc", "d", 1, false, -1},
      {"longer than text", "ab", "abc", 1, false, -1},
      {"whole text", "abc", "abc", 1, false, 1},
      {"empty text", "", "a", 1, false, -1},
      {"empty what at start", "abc", "", 2, false, 2},
      {"empty what in empty text", "", "", 1, false, -1},
      {"double-byte what", book, Gbk(u8"山海"), 1, false, 7},
      {"ascii trail byte is not a match start", Cat({kTrailAt, "x@"}), "@", 1, false, 4},
      {"only trail byte holds it", Cat({"x", kTrailAt}), "@", 1, false, -1},
      {"start inside a character counts as a boundary", Cat({kTrailAt, "@"}), "@", 2, false, 2},
      {"match across characters is not found", Cat({kTrailAt, kTrailAt}), "@\x81", 1, false, -1},
      {"lone lead byte at the end", "ab\x81", "\x81", 1, false, 3},
      {"ignore case folds ascii", "Chapter ONE", "one", 1, true, 9},
      {"case counts without the switch", "Chapter ONE", "one", 1, false, -1},
      {"full-width letters not folded", "\xA3\xC1", "\xA3\xE1", 1, true, -1},
      {"trail byte letters not folded", kTrailUpperA, kTrailLowerA, 1, true, -1},
      {"ignore case skips trail bytes", Cat({kTrailLowerA, "A"}), "a", 1, true, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Find(c.text, c.what, c.start, c.ignoreCase), c.expected);
  }
}

TEST(TextTest, FindLastTakesTheLastWhollyBeforeTheLimit) {
  struct Case {
    const char* name;
    Text text;
    Text what;
    std::optional<long long> limit;  // nullopt: omitted
    bool ignoreCase;
    long long expected;
  };
  const Case cases[] = {
      {"whole text", "a: b: c", ": ", std::nullopt, false, 5},
      {"limit past end", "a: b: c", ": ", 100, false, 5},
      {"limit cuts the last occurrence", "a: b: c", ": ", 6, false, 2},
      {"occurrence ending right before the limit", "a: b: c", ": ", 7, false, 5},
      {"limit 1 leaves nothing", "abc", "a", 1, false, -1},
      {"limit 0 leaves nothing", "abc", "a", 0, false, -1},
      {"negative limit leaves nothing", "abc", "a", -5, false, -1},
      {"overlapping occurrences", "aaa", "aa", std::nullopt, false, 2},
      {"missing", "abc", "x", std::nullopt, false, -1},
      {"empty what", "abc", "", std::nullopt, false, -1},
      {"empty text", "", "a", std::nullopt, false, -1},
      {"boundaries counted from byte 1", Cat({"@", kTrailAt}), "@", std::nullopt, false, 1},
      {"double-byte what", Gbk(u8"章一章二"), Gbk(u8"章"), std::nullopt, false, 5},
      {"ignore case", "Set-Cookie: a; set-cookie: b", "SET-COOKIE", std::nullopt, true, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FindLast(c.text, c.what, c.limit, c.ignoreCase), c.expected);
  }
}

TEST(TextTest, ReplaceAllWorksLeftToRightWithoutResearchingInsertedText) {
  struct Case {
    const char* name;
    Text text;
    Text what;
    Text with;
    long long count;
    bool ignoreCase;
    Text expected;
  };
  const Case cases[] = {
      {"every occurrence", "a-b-c", "-", "+", -1, false, "a+b+c"},
      {"count 0 means all", "a-b-c", "-", "", 0, false, "abc"},
      {"count limits", "a-b-c-d", "-", "+", 2, false, "a+b+c-d"},
      {"inserted text holds what", "aaa", "a", "aa", -1, false, "aaaaaa"},
      {"inserted text completes what", "ab", "b", "a", -1, false, "aa"},
      {"non-overlapping", "aaaa", "aa", "b", -1, false, "bb"},
      {"odd overlap", "aaa", "aa", "b", -1, false, "ba"},
      {"longer replacement", "<br><br>", "<br>", "\r\n", -1, false, "\r\n\r\n"},
      {"empty what unchanged", "abc", "", "x", -1, false, "abc"},
      {"empty text unchanged", "", "a", "x", -1, false, ""},
      {"missing unchanged", "abc", "x", "y", -1, false, "abc"},
      {"ignore case", "Br bR br", "BR", "-", -1, true, "- - -"},
      {"trail bytes kept", Cat({kTrailAt, "@"}), "@", "#", -1, false, Cat({kTrailAt, "#"})},
      {"double-byte", Gbk(u8"第一章第二章"), Gbk(u8"章"), "|", -1, false, Gbk(u8"第一|第二|")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReplaceAll(c.text, c.what, c.with, c.count, c.ignoreCase), c.expected);
  }
  EXPECT_EQ(ReplaceAllIgnoreCase("xAx", "a", "b"), "xbx");
}

TEST(TextTest, SplitKeepsInnerEmptyPiecesButNoneAfterAFinalSeparator) {
  struct Case {
    const char* name;
    Text text;
    Text separator;
    TextList expected;
  };
  const Case cases[] = {
      {"plain", "a,b,c", ",", {"a", "b", "c"}},
      {"empty piece before separator", ",a,,b", ",", {"", "a", "", "b"}},
      {"final separator", "a,b,", ",", {"a", "b"}},
      {"only one empty piece dropped", "a,,", ",", {"a", ""}},
      {"separator alone", ",", ",", {""}},
      {"no separator", "abc", ",", {"abc"}},
      {"empty text", "", ",", {}},
      {"empty separator", "abc", "", {"abc"}},
      {"multi-byte separator", "a\r\nb\r\n", "\r\n", {"a", "b"}},
      {"separator inside a character ignored", Cat({kTrailAt, "@x"}), "@", {Text(kTrailAt), "x"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Split(c.text, c.separator), c.expected);
  }
}

TEST(TextTest, SpacesAreAsciiAndFullWidthOnly) {
  struct Case {
    const char* name;
    Text text;
    Text trimmed;
    Text removed;
  };
  const Text sp(kFullWidthSpace);
  const Text ah = Gbk(u8"啊");  // B0 A1: its trail byte is half a full-width space.
  const Case cases[] = {
      {"ascii", "  a b  ", "a b", "ab"},
      {"full width", Cat({sp, "a", sp, "b", sp}), Cat({"a", sp, "b"}), "ab"},
      {"mixed", Cat({" ", sp, " a", sp, " "}), "a", "a"},
      {"tab and line breaks stay", "\ta\r\n", "\ta\r\n", "\ta\r\n"},
      {"only spaces", Cat({" ", sp, " "}), "", ""},
      {"empty", "", "", ""},
      {"trail plus lead is no space", Cat({ah, "\xA1"}), Cat({ah, "\xA1"}), Cat({ah, "\xA1"})},
      {"space after such a character", Cat({ah, sp}), ah, ah},
      {"lone A1 at the end", "a\xA1", "a\xA1", "a\xA1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Trim(c.text), c.trimmed);
    EXPECT_EQ(RemoveAllSpaces(c.text), c.removed);
  }
}

TEST(TextTest, CaseMappingTouchesAsciiLettersOnly) {
  const Text mixed = Cat({"Ab1-", kTrailLowerA, "\xA3\xE1z"});
  EXPECT_EQ(ToUpperAscii(mixed), Cat({"AB1-", kTrailLowerA, "\xA3\xE1Z"}));
  EXPECT_EQ(ToLowerAscii(Cat({"AbZ", kTrailUpperA})), Cat({"abz", kTrailUpperA}));

  EXPECT_TRUE(EqualsIgnoreCase("Content-Type", "content-TYPE"));
  EXPECT_TRUE(EqualsIgnoreCase("", ""));
  EXPECT_FALSE(EqualsIgnoreCase("abc", "abd"));
  EXPECT_FALSE(EqualsIgnoreCase("abc", "ab"));
  EXPECT_FALSE(EqualsIgnoreCase(kTrailUpperA, kTrailLowerA));
  EXPECT_FALSE(EqualsIgnoreCase("\xA3\xC1", "\xA3\xE1"));
}

TEST(TextTest, NumbersAsText) {
  EXPECT_EQ(ToDecimal(0), "0");
  EXPECT_EQ(ToDecimal(-42), "-42");
  EXPECT_EQ(ToDecimal(9223372036854775807LL), "9223372036854775807");
  EXPECT_EQ(ToHex(0), "0");
  EXPECT_EQ(ToHex(9), "9");
  EXPECT_EQ(ToHex(0xAF), "AF");
  EXPECT_EQ(ToHex(0x100), "100");
  EXPECT_EQ(ToHex(~0ULL), "FFFFFFFFFFFFFFFF");
}

// Several MiB through every scanning operation; a quadratic loop would make this test crawl.
TEST(TextTest, LargeInputsStayLinear) {
  const Text line = Gbk(u8"第十章　风起 the wind rises <br>");
  Text page;
  while (page.size() < 6 * 1024 * 1024) page += line;
  const Text tail = "<end>";
  page += tail;

  EXPECT_EQ(Find(page, tail), static_cast<long long>(page.size() - tail.size() + 1));
  EXPECT_EQ(Find(page, "<END>", 1, true), static_cast<long long>(page.size() - tail.size() + 1));
  EXPECT_EQ(FindLast(page, "<br>"), static_cast<long long>(page.size() - tail.size() - 3));
  const std::size_t lines = (page.size() - tail.size()) / line.size();
  EXPECT_EQ(Split(page, "<br>").size(), lines + 1);
  EXPECT_EQ(ReplaceAll(page, "<br>", "").size(), page.size() - 4 * lines);
  EXPECT_EQ(RemoveAllSpaces(page).size(), page.size() - 6 * lines);
  EXPECT_EQ(Trim(page), page);

  // Every trail byte here is a false candidate for "@".
  Text trails;
  while (trails.size() < 4 * 1024 * 1024) trails += kTrailAt;
  trails += "@";
  EXPECT_EQ(Find(trails, "@"), static_cast<long long>(trails.size()));
  EXPECT_EQ(FindLast(trails, "@"), static_cast<long long>(trails.size()));
  EXPECT_EQ(Find(trails, "@", 1, true), static_cast<long long>(trails.size()));
}

}  // namespace
}  // namespace tevrin
