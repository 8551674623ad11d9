#include "search/keep_gb2312_hanzi.h"

#include <gtest/gtest.h>

namespace tevrin {
namespace {

// GBK bytes written out, so the table shows exactly which pairs are kept.
// 星 B0 A1 (first GB2312 hanzi row), 河 BA D3, 剑 BD A3, 齄 F7 FE (last GB2312 hanzi),
// full-width comma A3 AC, ideographic full stop A1 A3, 丂 81 40 and 亍 D8 A1 (GB2312 level 2),
// 鍦 E5 A0 (lead in range, trail below A1: GBK outside GB2312).
TEST(KeepGb2312HanziTest, KeepsOnlyGb2312HanziPairs) {
  struct Case {
    const char* name;
    std::string input;
    std::string expected;
  };
  const Case cases[] = {
      {"empty", "", ""},
      {"one byte", "a", ""},
      {"lone lead byte", "\xB0", ""},
      {"hanzi kept whole", "\xB0\xA1\xBA\xD3", "\xB0\xA1\xBA\xD3"},
      {"range corners", "\xB0\xA1\xF7\xFE", "\xB0\xA1\xF7\xFE"},
      {"markup between hanzi joins them", "\xBA\xD3</font>\xBD\xA3", "\xBA\xD3\xBD\xA3"},
      {"digits and Latin letters dropped",
       "\xBA\xD3"
       "Ab3\xBD\xA3"
       "12",
       "\xBA\xD3\xBD\xA3"},
      {"no hanzi gives empty", "abc 123 <b>", ""},
      {"trailing lone byte dropped", "\xBA\xD3\xBD", "\xBA\xD3"},
      {"full-width punctuation dropped", "\xBA\xD3\xA3\xAC\xBD\xA3\xA1\xA3", "\xBA\xD3\xBD\xA3"},
      {"level 2 hanzi kept", "\xD8\xA1", "\xD8\xA1"},
      {"GBK outside GB2312 dropped", "\x81\x40\xE5\xA0\xBA\xD3", "\xBA\xD3"},
      // A non-GB2312 pair is skipped whole, so its trail byte cannot pair with the next byte.
      {"pair skipped as a unit",
       "\xA1\xB0\xA1"
       "a",
       ""},
      {"lead above F7 dropped", "\xF8\xA1\xBA\xD3", "\xBA\xD3"},
      {"ASCII before a pair keeps alignment", "x\xB0\xA1", "\xB0\xA1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(KeepGb2312Hanzi(c.input), c.expected);
  }
}

}  // namespace
}  // namespace tevrin
