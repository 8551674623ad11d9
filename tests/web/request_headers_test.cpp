#include "web/request_headers.h"

#include <gtest/gtest.h>

namespace tevrin {
namespace {

const Text kUserAgent =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)";
const Text kAccept = "Accept: text/html, application/xhtml+xml, */*";
const Text kEncoding = "Accept-Encoding: gbk, GB2312";
const Text kLanguage = "Accept-Language: zh-cn";
const Text kContentType = "Content-Type: application/x-www-form-urlencoded";
const Text kCache = "Cache-Control: no-cache";
const Text kCrLf = "\r\n";

// The five default lines as the rewritten block carries them (no CR LF after the last).
Text Defaults() {
  return kUserAgent + kCrLf + kAccept + kCrLf + kEncoding + kCrLf + kLanguage + kCrLf + kCache;
}

TEST(ComposeRequestHeadersTest, ComposesTheBlock) {
  struct Case {
    const char* name;
    Text requestHeaders;
    int method;
    Text cookies;
    bool complete;
    bool normalise;
    Text expected;
  };
  const Case cases[] = {
      {"defaults, exact bytes", "", 0, "", true, true, Defaults()},
      {"defaults without rewriting end every line with CR LF", "", 0, "", true, false,
       Defaults() + kCrLf},
      {"POST adds Content-Type before Cache-Control", "", 1, "", true, true,
       kUserAgent + kCrLf + kAccept + kCrLf + kEncoding + kCrLf + kLanguage + kCrLf + kContentType +
           kCrLf + kCache},
      {"methods other than POST add no Content-Type", "", 3, "", true, true, Defaults()},
      {"caller Content-Type without blank prevents the POST default", "content-type:text/plain", 1,
       "", true, true,
       "Content-Type:text/plain\r\n" + kUserAgent + kCrLf + kAccept + kCrLf + kEncoding + kCrLf +
           kLanguage + kCrLf + kCache},
      {"caller accept line in small letters replaces the default and is capitalised",
       "accept: text/plain", 0, "", true, true,
       "Accept: text/plain\r\n" + kUserAgent + kCrLf + kEncoding + kCrLf + kLanguage + kCrLf +
           kCache},
      {"User-Agent without blank after the colon keeps the default too", "User-Agent:Tester", 0, "",
       true, true, "User-Agent:Tester\r\n" + Defaults()},
      {"a name merely containing the detection text prevents the default", "X-Accept: y", 0, "",
       true, true,
       "X-Accept: y\r\n" + kUserAgent + kCrLf + kEncoding + kCrLf + kLanguage + kCrLf + kCache},
      {"line without colon dropped by rewriting", "NoColonHere", 0, "", true, true, Defaults()},
      {"line without colon kept without rewriting", "NoColonHere", 0, "", true, false,
       "NoColonHere\r\n" + Defaults() + kCrLf},
      {"names rewritten, values untouched", "user-agent: x\r\nx-requested-with: y-z", 0, "", false,
       true, "User-Agent: x\r\nX-Requested-With: y-z"},
      {"nothing asked for gives an empty block", "", 0, "", false, true, ""},
      {"keep-alive followed by another line is removed", "Connection: keep-alive", 0, "", true,
       true, Defaults()},
      {"keep-alive as last line of a rewritten block stays", "Accept: a\r\nConnection: keep-alive",
       0, "", false, true, "Accept: a\r\nConnection: keep-alive"},
      {"keep-alive with its CR LF in an unrewritten block is removed", "Connection: keep-alive", 0,
       "", false, false, ""},
      {"small-letter connection is rewritten, then removed", "connection: keep-alive", 0, "", true,
       true, Defaults()},
      {"small-letter connection without rewriting is not seen", "connection: keep-alive", 0, "",
       false, false, "connection: keep-alive\r\n"},
      {"other Connection values stay", "Connection: close", 0, "", true, true,
       "Connection: close\r\n" + Defaults()},
      {"cookies become the last line", "", 0, "a=1; b=2", true, true,
       Defaults() + "\r\nCookie: a=1; b=2\r\n"},
      {"cookies already holding Cookie: are appended as they are", "", 0, "cookie: a=1", true, true,
       Defaults() + "\r\ncookie: a=1\r\n"},
      {"a caller Cookie line makes the cookies be ignored", "COOKIE: x=9", 0, "a=1", true, true,
       "COOKIE: x=9\r\n" + Defaults()},
      {"without rewriting the cookie line follows an empty line", "", 0, "a=1", true, false,
       Defaults() + kCrLf + "\r\nCookie: a=1\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ComposeRequestHeaders(c.requestHeaders, c.method, c.cookies, c.complete, c.normalise),
              c.expected);
  }
}

TEST(CapitaliseHeaderNamesTest, RaisesTheFirstLetterOfEachNamePiece) {
  struct Case {
    const char* name;
    Text block;
    Text expected;
  };
  const Case cases[] = {
      {"dash-separated pieces", "user-agent: a", "User-Agent: a"},
      {"capitals stay", "ACCEPT: x", "ACCEPT: x"},
      {"only the name before the first colon", "host: a:b-c", "Host: a:b-c"},
      {"empty piece between dashes", "a--b: v", "A--B: v"},
      {"trailing dash keeps the rest of the line", "x-: v", "X-: v"},
      {"lone dash", "-: v", "-: v"},
      {"empty name", ": v", ": v"},
      {"empty and colonless lines dropped, no final CR LF", "a: 1\r\n\r\nplain\r\nb: 2\r\n",
       "A: 1\r\nB: 2"},
      {"no line with a colon", "plain\r\n", ""},
      {"empty block", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CapitaliseHeaderNames(c.block), c.expected);
  }
}

TEST(CapitaliseFirstTest, ChangesOnlyALeadingAsciiSmallLetter) {
  EXPECT_EQ(CapitaliseFirst("abc"), "Abc");
  EXPECT_EQ(CapitaliseFirst("aBC"), "ABC");
  EXPECT_EQ(CapitaliseFirst("1a"), "1a");
  EXPECT_EQ(CapitaliseFirst(""), "");
  // A GBK lead byte that a locale-aware toupper could take for a Latin letter.
  EXPECT_EQ(CapitaliseFirst("\xE1\xA1x"), "\xE1\xA1x");
}

TEST(HeaderValueTest, ReadsTheFirstLineBeginningWithTheName) {
  struct Case {
    const char* name;
    Text block;
    Text header;
    Text expected;
  };
  const Case cases[] = {
      {"plain value", "A: 1\r\nConnection: close", "Connection", "close"},
      {"first line beginning with the name decides", "Connection-Extra: x\r\nConnection: close",
       "Connection", ""},
      {"letter case counts", "connection: close", "Connection", ""},
      {"after the last marker in the line", "Connection: a Connection: b", "Connection", "b"},
      {"no blank after the colon", "Connection:close", "Connection", ""},
      {"no such line", "A: 1", "Connection", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(HeaderValue(c.block, c.header), c.expected);
  }
}

}  // namespace
}  // namespace tevrin
