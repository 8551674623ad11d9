#include "text/markers.h"

#include <gtest/gtest.h>

#include <optional>

#include "text/code_page.h"

namespace tevrin {
namespace {

TEST(MarkersTest, TextBetweenCutsAfterTheFirstStartMarker) {
  struct Case {
    const char* name;
    Text text;
    Text startMarker;
    Text endMarker;
    long long start;
    bool ignoreCase;
    Text expected;
  };
  const Text page = Gbk(u8"<h1>第三章 夜雨</h1><div id=\"content\">灯下读书</div>");
  const Case cases[] = {
      {"plain", page, "<h1>", "</h1>", 1, false, Gbk(u8"第三章 夜雨")},
      {"first start marker, next end marker", "[a][b]", "[", "]", 1, false, "a"},
      {"end marker missing", "x[abc", "[", "]", 1, false, ""},
      {"end marker only before the start marker", "]x[abc", "[", "]", 1, false, ""},
      {"later start marker not tried", "[a[b]", "[", "]", 1, false, "a[b"},
      {"start marker missing", "abc]", "[", "]", 1, false, ""},
      {"markers adjacent", "x[]y", "[", "]", 1, false, ""},
      {"empty start marker begins at byte 1", "abc]", "", "]", 1, false, "abc"},
      {"empty end marker", "[abc]", "[", "", 1, false, ""},
      {"empty text", "", "", "]", 1, false, ""},
      {"start position skips an earlier marker", "[a][b]", "[", "]", 2, false, "b"},
      {"start position below 1", "[a][b]", "[", "]", -3, false, "a"},
      {"start position past the end", "[a]", "[", "]", 9, false, ""},
      {"ignore case", "<TITLE>Name</title>", "<title>", "</TITLE>", 1, true, "Name"},
      {"case counts by default", "<TITLE>Name</title>", "<title>", "</title>", 1, false, ""},
      {"quote stand-in", page, Gbk(u8"id=#引号content#引号>"), "<", 1, false, Gbk(u8"灯下读书")},
      {"quote stand-in in the end marker", Gbk(u8"a=\"值\""), Gbk(u8"a=#引号"), Gbk(u8"#引号"), 1,
       false, Gbk(u8"值")},
      {"two-byte quote marker", "<a href=\"x\">t</a>", Gbk(u8"#引号>"), "<", 1, false, "t"},
      {"ascii marker not found in a trail byte", "\x81\x40@x@", "@", "@", 1, false, "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TextBetween(c.text, c.startMarker, c.endMarker, c.start, c.ignoreCase), c.expected);
  }
}

TEST(MarkersTest, TextBeforeKeepsEverythingBeforeTheMarker) {
  struct Case {
    const char* name;
    Text text;
    Text marker;
    long long start;
    bool ignoreCase;
    Text expected;
  };
  const Case cases[] = {
      {"plain", "name=value; path=/", ";", 1, false, "name=value"},
      {"first occurrence", "a;b;c", ";", 1, false, "a"},
      {"text begins with the marker", ";abc", ";", 1, false, ""},
      {"missing", "abc", ";", 1, false, ""},
      {"start 0 means 1", "a;b", ";", 0, false, "a"},
      {"start negative means 1", "a;b", ";", -2, false, "a"},
      {"bytes before start included", "a;b;c", ";", 3, false, "a;b"},
      {"ignore case", "abcXdef", "x", 1, true, "abc"},
      {"case counts by default", "abcXdef", "x", 1, false, ""},
      {"double-byte marker", Gbk(u8"书名：作者"), Gbk(u8"："), 1, false, Gbk(u8"书名")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TextBefore(c.text, c.marker, c.start, c.ignoreCase), c.expected);
  }
}

TEST(MarkersTest, TextAfterLastTakesTheLastOccurrenceBeforeTheLimit) {
  struct Case {
    const char* name;
    Text text;
    Text marker;
    std::optional<long long> limit;  // nullopt: omitted
    bool ignoreCase;
    Text expected;
  };
  const Case cases[] = {
      {"last of several", "a: b: c", ": ", std::nullopt, false, "c"},
      {"text ends with the marker", "a: b: ", ": ", std::nullopt, false, ""},
      {"missing", "abc", ": ", std::nullopt, false, ""},
      {"limit cuts the last occurrence", "a: b: c", ": ", 6, false, "b: c"},
      {"occurrence must end before the limit", "a: b: c", ": ", 3, false, ""},
      {"limit 1 leaves nothing", "a: b", ": ", 1, false, ""},
      {"negative limit leaves nothing", "a: b", ": ", -1, false, ""},
      {"ignore case", "xAy ay", "A", std::nullopt, true, "y"},
      {"ascii marker not found in a trail byte", "a@\x81\x40x", "@", std::nullopt, false,
       "\x81\x40x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TextAfterLast(c.text, c.marker, c.limit, c.ignoreCase), c.expected);
  }
}

TEST(MarkersTest, ResultsNeverReachPastTheText) {
  // Lone lead bytes at the end and markers longer than the text must not read out of bounds.
  EXPECT_EQ(TextBetween("\x81", "\x81", "x"), "");
  EXPECT_EQ(TextBetween("a\x81", "a", "\x81"), "");
  EXPECT_EQ(TextBetween("ab", "abc", "c"), "");
  EXPECT_EQ(TextBefore("\x81", "\x81\x40"), "");
  EXPECT_EQ(TextAfterLast("x\x81", "\x81"), "");
}

}  // namespace
}  // namespace tevrin
