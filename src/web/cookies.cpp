#include "web/cookies.h"

#include <cstddef>
#include <string_view>
#include <unordered_set>

#include "text/markers.h"

namespace tevrin {

namespace {

constexpr std::string_view kItemSeparator = "; ";
constexpr std::string_view kDeletedMark = "=deleted";

}  // namespace

void CollectCookie(const Text& headerLine, Text& responseCookies) {
  if (TextBefore(headerLine, ": ") != "Set-Cookie") return;
  const Text cookie = Find(headerLine, ";") != -1
                          ? TextBetween(headerLine, "Set-Cookie:", ";")
                          : ReplaceAllIgnoreCase(headerLine, "Set-Cookie:", "");
  responseCookies += Trim(cookie);
  responseCookies += kItemSeparator;
}

void TidyAndMergeCookies(Text& cookies, Text& responseCookies, bool mergeCookies) {
  if (responseCookies.ends_with(kItemSeparator)) {
    responseCookies.resize(responseCookies.size() - kItemSeparator.size());
  }
  if (mergeCookies && !cookies.empty()) responseCookies = MergeCookies(cookies, responseCookies);
}

Text MergeCookies(Text& oldCookies, Text& newCookies) {
  oldCookies = RemoveAllSpaces(oldCookies);
  newCookies = RemoveAllSpaces(newCookies);
  TextList merged = Split(newCookies, ";");

  // The same test as HasCookieName against the growing list, kept in a set so that a header
  // block full of cookies costs linear time rather than quadratic.
  std::unordered_set<Text> names;
  for (const Text& item : merged) names.insert(CookieName(item));
  for (const Text& item : Split(oldCookies, ";")) {
    if (names.insert(CookieName(item)).second) merged.push_back(item);
  }

  Text result;
  for (const Text& item : merged) {
    if (item.ends_with(kDeletedMark)) continue;
    result += item;
    result += kItemSeparator;
  }
  result = Left(result, static_cast<long long>(result.size()) - 2);
  oldCookies = JoinDistinct(result, Text(kItemSeparator));
  return oldCookies;
}

Text CookieName(const Text& item) {
  const long long equals = Find(item, "=");
  return Trim(equals == -1 ? std::string_view(item) : std::string_view(item).substr(0, equals - 1));
}

bool HasCookieName(const TextList& items, const Text& name) {
  for (const Text& item : items) {
    if (CookieName(item) == name) return true;
  }
  return false;
}

Text JoinDistinct(const Text& text, const Text& separator) {
  // IndexOfText against the items kept so far, kept in a set for linear time.
  std::unordered_set<Text> seen;
  Text result;
  for (const Text& item : Split(text, separator)) {
    if (!seen.insert(item).second) continue;
    result += item;
    result += separator;
  }
  return Left(result,
              static_cast<long long>(result.size()) - static_cast<long long>(separator.size()));
}

int IndexOfText(const TextList& list, const Text& text) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i] == text) return static_cast<int>(i) + 1;
  }
  return -1;
}

}  // namespace tevrin
