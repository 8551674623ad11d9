#include "text/code_page.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tevrin {
namespace {

constexpr char kReplacementUtf8[] = "\xEF\xBF\xBD";  // U+FFFD

std::string Utf8(std::u8string_view text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

// UTF-16LE from a list of code units, without a terminator.
Bytes Units(std::initializer_list<char16_t> units) {
  Bytes result;
  for (char16_t unit : units) {
    result += static_cast<char>(unit & 0xFF);
    result += static_cast<char>(unit >> 8);
  }
  return result;
}

TEST(CodePageTest, GbkLiteralsAreCodePage936) {
  EXPECT_EQ(Gbk(u8"书名"), "\xCA\xE9\xC3\xFB");
  EXPECT_EQ(Gbk(u8"abc"), "abc");
  EXPECT_EQ(Gbk(u8""), "");
  EXPECT_EQ(Gbk(u8"　"), "\xA1\xA1");
  EXPECT_EQ(Gbk(u8"€"), "\x80");
  // Characters GBK cannot hold become one "?" each, the rest is kept.
  EXPECT_EQ(Gbk(u8"a😀b"), "a?b");
}

TEST(CodePageTest, PercentEncodeEscapesEveryUtf8Byte) {
  struct Case {
    const char* name;
    Text input;
    Text expected;
  };
  const Case cases[] = {
      {"letters", "abc", "%61%62%63"},
      {"space", "a b", "%61%20%62"},
      {"tab gets a leading zero", "\t", "%09"},
      {"unreserved characters too", "-._~0", "%2D%2E%5F%7E%30"},
      {"hanzi is three escapes", Gbk(u8"书"), "%E4%B9%A6"},
      {"mixed", Gbk(u8"山海 1"), "%E5%B1%B1%E6%B5%B7%20%31"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PercentEncode(c.input), c.expected);
  }
}

TEST(CodePageTest, ToUtf16AppendsOneZeroCharacter) {
  EXPECT_EQ(ToUtf16("ab"), Units({u'a', u'b', 0}));
  EXPECT_EQ(ToUtf16(""), Units({0}));
  EXPECT_EQ(ToUtf16(Utf8(u8"书")), Units({u'书', 0}));  // UTF-8 unless told otherwise
  EXPECT_EQ(ToUtf16(Gbk(u8"书€"), kCodePageGbk), Units({u'书', u'€', 0}));
  EXPECT_EQ(ToUtf16(Utf8(u8"😀"), kCodePageUtf8), Units({0xD83D, 0xDE00, 0}));
}

TEST(CodePageTest, FromUtf16StopsAtTheFirstZeroCharacter) {
  EXPECT_EQ(FromUtf16(Units({u'a', 0, u'b', 0})), "a");
  EXPECT_EQ(FromUtf16(Units({u'书', u'名'})), Gbk(u8"书名"));  // GBK unless told otherwise
  EXPECT_EQ(FromUtf16(Units({u'书', 0}), kCodePageUtf8), Utf8(u8"书"));
  EXPECT_EQ(FromUtf16(""), "");
  EXPECT_EQ(FromUtf16(Units({u'a'}) + "b"), "a");  // A half unit at the end is dropped.
  // A zero byte inside a unit is not a zero character.
  EXPECT_EQ(FromUtf16(Units({0x4E00, u'a'}), kCodePageUtf8), Utf8(u8"一a"));
}

TEST(CodePageTest, FromUtf16ReplacesWhatTheCodePageCannotHold) {
  struct Case {
    const char* name;
    Bytes utf16;
    int codePage;
    Text expected;
  };
  const Case cases[] = {
      {"surrogate pair to GBK is one ?", Units({u'a', 0xD83D, 0xDE00, u'b'}), kCodePageGbk, "a?b"},
      {"character outside GBK", Units({0x0E01}), kCodePageGbk, "?"},
      {"lone high surrogate to GBK", Units({0xD83D, u'x'}), kCodePageGbk, "?x"},
      {"lone low surrogate to UTF-8", Units({0xDE00, u'x'}), kCodePageUtf8,
       std::string(kReplacementUtf8) + "x"},
      {"high surrogate at the end to UTF-8", Units({u'x', 0xD83D}), kCodePageUtf8,
       "x" + std::string(kReplacementUtf8)},
      {"pair to UTF-8 kept", Units({0xD83D, 0xDE00}), kCodePageUtf8, Utf8(u8"😀")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FromUtf16(c.utf16, c.codePage), c.expected);
  }
}

TEST(CodePageTest, GbkRoundTripsThroughUtf8) {
  const std::string sentence = Utf8(u8"第一章　春雨落在青石桥上，价格 5€。Ab-9");
  const Text gbk = Utf8ToGbk(sentence);
  EXPECT_EQ(GbkToUtf8(gbk), sentence);
  EXPECT_EQ(GbkToDisplayUtf8(gbk), sentence);
  EXPECT_EQ(GbkToUtf8(""), "");
}

// Broken GBK is decoded with one U+FFFD per offending byte (a character cut off at the end is one
// U+FFFD) and the rest of the text still comes through.
TEST(CodePageTest, InvalidGbkIsReplacedNotFatal) {
  struct Case {
    const char* name;
    Text gbk;
    std::string utf8;
  };
  const std::string bad(kReplacementUtf8);
  const Case cases[] = {
      {"0xFF",
       "a\xFF"
       "b",
       "a" + bad + "b"},
      {"lone lead byte at the end", "ab\x81", "ab" + bad},
      {"lead byte before a byte that is no trail", "\x81 b", bad + " b"},
      {"lead byte before a line feed", "\xB0\n", bad + "\n"},
      {"0x80 is the euro sign", "\x80", Utf8(u8"€")},
      {"only invalid", "\xFF\xFF", bad + bad},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8);
    EXPECT_EQ(GbkToDisplayUtf8(c.gbk), c.utf8);
    EXPECT_EQ(PercentEncode(c.gbk).size(), 3 * c.utf8.size());
  }
}

TEST(CodePageTest, DisplayDecodesGb18030) {
  EXPECT_EQ(GbkToDisplayUtf8("\x81\x30\x81\x30"), "\xC2\x80");  // A four-byte sequence.
  EXPECT_EQ(GbkToDisplayUtf8(""), "");
}

TEST(CodePageTest, Utf8ToGbkTurnsBadInputIntoQuestionMarks) {
  struct Case {
    const char* name;
    std::string utf8;
    Text expected;
  };
  const Case cases[] = {
      {"valid", Utf8(u8"书a"), Gbk(u8"书a")},
      {"0xFF byte",
       "a\xFF"
       "b",
       "a?b"},
      {"truncated at the end", "a\xE4\xB9", "a?"},
      {"cut short by ascii",
       "\xE4"
       "ab",
       "?ab"},
      {"overlong form",
       "\xC0\xAF"
       "x",
       "??x"},
      {"stray continuation bytes", "\x80\x80", "??"},
      {"four-byte character", Utf8(u8"😀x"), "?x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utf8ToGbk(c.utf8), c.expected);
  }
}

TEST(CodePageTest, CharsetToGbkReadsNamedCharsets) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string charset;
    std::optional<Text> expected;
  };
  const Text hanzi = Gbk(u8"书名");
  const Text gbkOnly = "\x81\x40";  // In GBK but not in GB2312.
  const Case cases[] = {
      {"utf-8", Utf8(u8"书名"), "utf-8", hanzi},
      {"UTF-8", Utf8(u8"书名"), "UTF-8", hanzi},
      {"gbk", hanzi, "gbk", hanzi},
      {"gb2312 read as GBK", gbkOnly, "gb2312", gbkOnly},
      {"GB2312 in capitals", gbkOnly, "GB2312", gbkOnly},
      {"Gb2312 mixed case", gbkOnly + "\x80", "Gb2312", gbkOnly + "\x80"},
      {"gb18030",
       "\x81\x30\x81\x30"
       "a",
       "gb18030", "?a"},
      {"latin-1", "caf\xE9", "iso-8859-1", "caf\xA8\xA6"},
      {"big5", "\xA4\xA4", "big5", Gbk(u8"中")},
      {"character GBK lacks", Utf8(u8"a😀b"), "utf-8", "a?b"},
      {"invalid utf-8",
       "a\xFF"
       "b",
       "utf-8", "a?b"},
      {"truncated utf-8", "a\xE4", "utf-8", "a?"},
      {"invalid gbk",
       "\xFF"
       "a\x81",
       "gbk", "?a?"},
      {"empty input", "", "utf-8", ""},
      {"unknown name", "abc", "no-such-charset", std::nullopt},
      {"empty name", "abc", "", std::nullopt},
      {"name with iconv options", "abc", "utf-8//IGNORE", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CharsetToGbk(c.bytes, c.charset), c.expected);
  }
}

TEST(CodePageTest, LargeInputsConvertCompletely) {
  const std::string line = Utf8(u8"第十章　风起 the wind rises\n");
  std::string utf8;
  while (utf8.size() < 4 * 1024 * 1024) utf8 += line;
  utf8 += "\xFF";
  const Text gbk = Utf8ToGbk(utf8);
  ASSERT_EQ(gbk.back(), '?');
  EXPECT_EQ(GbkToUtf8(gbk.substr(0, gbk.size() - 1)), utf8.substr(0, utf8.size() - 1));
  EXPECT_EQ(ToUtf16(gbk, kCodePageGbk).size() % 2, 0u);
}

}  // namespace
}  // namespace tevrin
