// Cookie collection from response header lines, the tidy-and-merge step and MergeCookies.
//
// Input: options, then sent cookies NUL collected cookies so far NUL header lines separated by
// LF. Option bit 0 asks for merging; bit 1 shapes every field into valid GBK first (real cookie
// text), which the item-level merge invariants need: a stray lead byte may swallow the ";" after
// it, and then no walk can tell the items apart.
//
// Invariants:
// - a line adds to the collected text exactly when it begins with "Set-Cookie: " (that spelling);
//   it adds one trimmed cookie without ";" and then "; "; with a ";" in the line the cookie is
//   what stands between "Set-Cookie:" and the first ";";
// - tidying drops one trailing "; "; merging leaves the merged text in both variables, and
//   nothing changes the sent cookies when there is no merge;
// - MergeCookies strips the blanks of both inputs, returns what it leaves in the sent text, and
//   (valid GBK) lists the collected items, then the first sent item of each name the response did
//   not set, without blanks, without "=deleted" items and without exact repeats.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string_view>

#include "fuzz_support.h"
#include "web/cookies.h"

namespace tevrin::fuzz {
namespace {

constexpr std::string_view kPrefix = "Set-Cookie: ";
constexpr std::string_view kSeparator = "; ";
constexpr std::string_view kDeleted = "=deleted";

void CheckCollect(const Text& line, Text& collected) {
  const Text before = collected;
  CollectCookie(line, collected);
  if (!line.starts_with(kPrefix)) {
    FUZZ_CHECK(collected == before);
    return;
  }
  FUZZ_CHECK(collected.starts_with(before) && collected.ends_with(kSeparator));
  FUZZ_CHECK(collected.size() >= before.size() + kSeparator.size());
  const Text cookie =
      collected.substr(before.size(), collected.size() - before.size() - kSeparator.size());
  FUZZ_CHECK(Trim(cookie) == cookie);
  FUZZ_CHECK(ReferenceFind(cookie, ";") == -1);
  const long long semicolon = ReferenceFind(line, ";");
  if (semicolon != -1) {
    const std::size_t from = kPrefix.size() - 1;  // right after "Set-Cookie:"
    FUZZ_CHECK(cookie == Trim(line.substr(from, static_cast<std::size_t>(semicolon - 1) - from)));
  }
}

// The part of an item before its first "=", for blank-free items.
Text NameOf(const Text& item) {
  const long long equals = ReferenceFind(item, "=");
  return equals == -1 ? item : item.substr(0, static_cast<std::size_t>(equals - 1));
}

TextList NonEmpty(const TextList& items) {
  TextList result;
  for (const Text& item : items) {
    if (!item.empty()) result.push_back(item);
  }
  return result;
}

void CheckMerge(const Text& sent, const Text& received, bool validGbk) {
  Text oldCookies = sent;
  Text newCookies = received;
  const Text merged = MergeCookies(oldCookies, newCookies);
  FUZZ_CHECK(oldCookies == merged);
  FUZZ_CHECK(newCookies == RemoveAllSpaces(received));
  if (!validGbk) return;

  const TextList items = Split(merged, kSeparator);
  std::set<Text> seen;
  for (const Text& item : items) {
    FUZZ_CHECK(!HasSpaceCharacter(item));
    FUZZ_CHECK(!item.ends_with(kDeleted));
    FUZZ_CHECK(seen.insert(item).second);
  }

  const TextList newItems = Split(RemoveAllSpaces(received), ";");
  std::set<Text> names;
  for (const Text& item : newItems) names.insert(NameOf(item));
  TextList expected;
  std::set<Text> expectedSeen;
  auto keep = [&](const Text& item) {
    if (!item.ends_with(kDeleted) && expectedSeen.insert(item).second) expected.push_back(item);
  };
  for (const Text& item : newItems) keep(item);
  for (const Text& item : Split(RemoveAllSpaces(sent), ";")) {
    if (names.insert(NameOf(item)).second) keep(item);
  }
  FUZZ_CHECK(NonEmpty(items) == NonEmpty(expected));
}

void CheckTidyAndMerge(const Text& sent, const Text& collected, bool merge) {
  Text cookies = sent;
  Text responseCookies = collected;
  TidyAndMergeCookies(cookies, responseCookies, merge);
  const Text tidy = collected.ends_with(kSeparator)
                        ? collected.substr(0, collected.size() - kSeparator.size())
                        : collected;
  if (merge && !sent.empty()) {
    Text oldCookies = sent;
    Text newCookies = tidy;
    const Text merged = MergeCookies(oldCookies, newCookies);
    FUZZ_CHECK(responseCookies == merged && cookies == merged);
  } else {
    FUZZ_CHECK(cookies == sent && responseCookies == tidy);
  }
}

}  // namespace
}  // namespace tevrin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tevrin::fuzz;
  Input input = ReadInput(data, size, 3);
  const bool validGbk = input.Option(1);
  if (validGbk) {
    for (tevrin::Text& field : input.fields) field = ValidGbk(field);
  }
  const tevrin::Text& sent = input.fields[0];
  tevrin::Text collected = input.fields[1];
  const std::string_view lines = input.fields[2];

  std::size_t from = 0;
  while (from < lines.size()) {
    const std::size_t feed = std::min(lines.find('\n', from), lines.size());
    CheckCollect(tevrin::Text(lines.substr(from, feed - from)), collected);
    from = feed + 1;
  }
  CheckTidyAndMerge(sent, collected, input.Option(0));
  CheckMerge(sent, collected, validGbk);
  CheckMerge(sent, input.fields[1], validGbk);
  return 0;
}
