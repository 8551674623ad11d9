#include "web/response_decoding.h"

#include <gtest/gtest.h>

#include <string>

#include "text/code_page.h"

namespace tevrin {
namespace {

std::string Utf8(std::u8string_view text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

TEST(DecodeResponseTest, DecodesByTheDeclaredCharset) {
  const std::string storyUtf8 = Utf8(u8"第一章 山风起于青萍之末");
  const Text storyGbk = Gbk(u8"第一章 山风起于青萍之末");
  const Text meta = "<meta charset=utf-8>";
  // Padding that puts the last byte of `piece` at byte 1024, the end of the search window.
  auto padTo1024 = [](const Text& piece) { return Text(1024 - piece.size(), ' '); };
  const Text whole = padTo1024("<meta charset=utf-8");
  const Text cut = padTo1024("<meta charset=");
  // Long UTF-8 text whose characters straddle byte 1024, where the search window ends.
  std::string longUtf8;
  Text longGbk;
  for (int i = 0; i < 200; ++i) {
    longUtf8 += storyUtf8;
    longGbk += storyGbk;
  }

  struct Case {
    const char* name;
    Bytes body;
    Text expected;
  };
  const Case cases[] = {
      {"utf-8 with a quotation mark", "<meta charset=\"utf-8\">" + storyUtf8,
       "<meta charset=\"utf-8\">" + storyGbk},
      {"utf-8 in a content attribute",
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n" + storyUtf8,
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n" + storyGbk},
      {"meta and charset written in capitals", "<META CHARSET=UTF-8>" + storyUtf8,
       "<META CHARSET=UTF-8>" + storyGbk},
      {"utf-8 text cut mid-character by the search window", meta + longUtf8, meta + longGbk},
      {"other charsets by their names", "<meta charset=big5>\xA4\x73\xAD\xB7",
       "<meta charset=big5>" + Gbk(u8"山風")},
      {"a character GBK cannot hold becomes ?", meta + Utf8(u8"山한风"),
       meta + Gbk(u8"山") + "?" + Gbk(u8"风")},
      {"bytes invalid in the declared charset become ?", meta + "a\xFF" + storyUtf8,
       meta + "a?" + storyGbk},
      {"gbk in small letters is not converted", "<meta charset=gbk>" + storyGbk + "\xFF",
       "<meta charset=gbk>" + storyGbk + "\xFF"},
      {"gb2312 in small letters is not converted", "<meta charset='gb2312'>" + storyGbk + "\xFF",
       "<meta charset='gb2312'>" + storyGbk + "\xFF"},
      {"GBK in capitals goes through the conversion", "<meta charset=\"GBK\">" + storyGbk + "\xFF",
       "<meta charset=\"GBK\">" + storyGbk + "?"},
      {"line break between meta and charset prevents the match",
       "<meta http-equiv=\"Content-Type\"\ncontent=\"text/html; charset=utf-8\">" + storyUtf8,
       "<meta http-equiv=\"Content-Type\"\ncontent=\"text/html; charset=utf-8\">" + storyUtf8},
      {"declaration ending at byte 1024 is seen", whole + meta + storyUtf8,
       whole + meta + storyGbk},
      {"name beyond byte 1024 is not seen", cut + meta + storyUtf8, cut + meta + storyUtf8},
      {"declaration starting after byte 1024 is not seen", Text(1024, ' ') + meta + storyUtf8,
       Text(1024, ' ') + meta + storyUtf8},
      {"no declaration: text up to the first NUL", Bytes("abc\0def", 7), "abc"},
      {"converted text ends at its first NUL", meta + storyUtf8 + Bytes(1, '\0') + storyUtf8,
       meta + storyGbk},
      {"a declaration after a NUL is not seen", Bytes("ab\0", 3) + meta + storyUtf8, "ab"},
      {"empty body", "", ""},
      {"unknown charset leaves the text", "<meta charset=x-no-such-set>" + storyUtf8,
       "<meta charset=x-no-such-set>" + storyUtf8},
  };
  RegexObject regex;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int processed = 0;
    EXPECT_EQ(DecodeResponse(c.body, regex, [&] { ++processed; }), c.expected);
    EXPECT_EQ(processed, 1);
  }
}

TEST(DecodeResponseTest, WorksWithoutAnEventProcessor) {
  RegexObject regex;
  EXPECT_EQ(DecodeResponse("<meta charset=utf-8>" + Utf8(u8"风"), regex, {}),
            "<meta charset=utf-8>" + Gbk(u8"风"));
}

}  // namespace
}  // namespace tevrin
