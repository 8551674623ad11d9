#include "web/cookies.h"

#include <gtest/gtest.h>

namespace tevrin {
namespace {

const Text kFullWidthBlank = "\xA1\xA1";

TEST(CollectCookieTest, AppendsTheCookieOfASetCookieLine) {
  struct Case {
    const char* name;
    Text line;
    Text before;
    Text after;
  };
  const Case cases[] = {
      {"attributes after the first semicolon dropped", "Set-Cookie: a=1; path=/", "", "a=1; "},
      {"appended to what the variable holds", "Set-Cookie: b=2; HttpOnly", "x=0; ", "x=0; b=2; "},
      {"line without semicolon", "Set-Cookie: a=1", "", "a=1; "},
      {"name in small letters ignored", "set-cookie: a=1; path=/", "", ""},
      {"no blank after the colon ignored", "Set-Cookie:a=1; path=/", "", ""},
      {"other headers ignored", "Location: /a; b=1", "k=v; ", "k=v; "},
      {"ASCII and full-width blanks trimmed",
       "Set-Cookie: " + kFullWidthBlank + "a=1 " + kFullWidthBlank + "; path=/", "", "a=1; "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Text cookies = c.before;
    CollectCookie(c.line, cookies);
    EXPECT_EQ(cookies, c.after);
  }
}

TEST(TidyAndMergeCookiesTest, TidiesAndMerges) {
  struct Case {
    const char* name;
    Text cookies;
    Text responseCookies;
    bool merge;
    Text cookiesAfter;
    Text responseCookiesAfter;
  };
  const Case cases[] = {
      {"only cookie loses its separator", "", "a=1; ", true, "", "a=1"},
      {"nothing sent: no merge", "", "a=1; b=2; ", true, "", "a=1; b=2"},
      {"response wins over the sent value", "a=0; c=3", "a=1; ", true, "a=1; c=3", "a=1; c=3"},
      {"merge switched off leaves the sent cookies", "a=0; c=3", "a=1; ", false, "a=0; c=3", "a=1"},
      {"deleted cookie is gone", "c=3", "c=deleted; ", true, "", ""},
      {"deleted mark only as the whole value", "a=undeleted", "", true, "a=undeleted",
       "a=undeleted"},
      {"blanks removed everywhere", "x=1 2", "", true, "x=12", "x=12"},
      {"full-width blanks removed", "x=1" + kFullWidthBlank + "2", "", true, "x=12", "x=12"},
      {"exact repeat sent twice kept once", "a=1;a=1", "", true, "a=1", "a=1"},
      {"first of two sent values for one name", "a=1; a=2", "", true, "a=1", "a=1"},
      {"collected first, then unset sent ones in sent order", "b=2; a=1; d=4", "c=3; a=9; ", true,
       "c=3; a=9; b=2; d=4", "c=3; a=9; b=2; d=4"},
      {"item without equals sign is its own name", "x; y=1", "x=2; ", true, "x=2; y=1", "x=2; y=1"},
      {"final separator of the sent text", "a=1;", "", true, "a=1", "a=1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Text cookies = c.cookies;
    Text responseCookies = c.responseCookies;
    TidyAndMergeCookies(cookies, responseCookies, c.merge);
    EXPECT_EQ(cookies, c.cookiesAfter);
    EXPECT_EQ(responseCookies, c.responseCookiesAfter);
  }
}

TEST(MergeCookiesTest, WritesBothVariables) {
  Text oldCookies = "a = 1; c=3";
  Text newCookies = " b=2 ";
  EXPECT_EQ(MergeCookies(oldCookies, newCookies), "b=2; a=1; c=3");
  EXPECT_EQ(oldCookies, "b=2; a=1; c=3");
  EXPECT_EQ(newCookies, "b=2");
}

TEST(MergeCookiesTest, ManyCookiesStayLinear) {
  // A hostile server may set tens of thousands of cookies; the merge must not go quadratic.
  Text oldCookies;
  Text newCookies;
  for (int i = 0; i < 20000; ++i) {
    oldCookies += "o" + std::to_string(i) + "=1;";
    newCookies += "n" + std::to_string(i) + "=1; ";
  }
  const Text merged = MergeCookies(oldCookies, newCookies);
  EXPECT_TRUE(merged.starts_with("n0=1; n1=1; "));
  EXPECT_TRUE(merged.ends_with("; o19999=1"));
}

TEST(CookieNameTest, TakesTheTrimmedPartBeforeTheFirstEqualsSign) {
  EXPECT_EQ(CookieName("a=1"), "a");
  EXPECT_EQ(CookieName(" a =1"), "a");
  EXPECT_EQ(CookieName("a=b=c"), "a");
  EXPECT_EQ(CookieName(kFullWidthBlank + "k" + kFullWidthBlank + "=v"), "k");
  EXPECT_EQ(CookieName(" flag "), "flag");
  EXPECT_EQ(CookieName("=1"), "");
}

TEST(HasCookieNameTest, ComparesNamesExactly) {
  const TextList items = {"a=1", " b =2"};
  EXPECT_TRUE(HasCookieName(items, "b"));
  EXPECT_FALSE(HasCookieName(items, "B"));
  EXPECT_FALSE(HasCookieName(items, "1"));
  EXPECT_FALSE(HasCookieName({}, "a"));
}

TEST(JoinDistinctTest, DropsExactRepeats) {
  EXPECT_EQ(JoinDistinct("a; b; a; b", "; "), "a; b");
  EXPECT_EQ(JoinDistinct("a;a;A", ";"), "a;A");
  EXPECT_EQ(JoinDistinct("a; b; ", "; "), "a; b");
  EXPECT_EQ(JoinDistinct("", "; "), "");
}

TEST(IndexOfTextTest, FindsTheFirstEqualElement) {
  const TextList list = {"x", "y", "x"};
  EXPECT_EQ(IndexOfText(list, "x"), 1);
  EXPECT_EQ(IndexOfText(list, "y"), 2);
  EXPECT_EQ(IndexOfText(list, "X"), -1);
  EXPECT_EQ(IndexOfText({}, "x"), -1);
}

}  // namespace
}  // namespace tevrin
