// RegexObject running the program's four patterns over random subjects.
//
// Input: options, then the subject (NUL bytes dropped). Option bits 0..1 pick the pattern (site-1
// results, site-2 results, chapter list, declared charset); bit 2 shapes the subject into valid GBK
// first.
//
// Invariants, with the subject as the engine sees it (GBK decoded and encoded again, so a byte
// that does not decode reads "?"):
// - a failed Execute leaves nothing to read; otherwise the group count is the pattern's when
//   there is a match and 0 when there is none;
// - matches are non-empty, in subject order and without overlap; each begins and ends with the
//   pattern's own literal text (letter case ignored), and a reported position is -2 or a place
//   where the match's text stands;
// - every group text is part of its match; "(.*?)" never holds a line feed; the charset name is
//   letters, digits, "_" and "-";
// - reads beyond the last match or group are empty;
// - the first match of a global run is the match of a run that is not global;
// - replacing every match by itself ("$&") gives the subject back, and replacing by nothing
//   removes exactly the matches' bytes.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "text/code_page.h"
#include "text/regex_object.h"

namespace tevrin::fuzz {
namespace {

struct Pattern {
  Text pattern;
  int groups;
  std::string_view begins;
  std::string_view ends;  // empty: the match ends with group 1
};

const Pattern& PatternAt(unsigned index) {
  static const Pattern patterns[] = {
      {Gbk(u8R"re(<td class="odd"><a href="(.*?)"[\s|\S]*?>(.*?)</a></td>[\s|\S]*?target="_blank">(.*?)</a></td>[\s|\S]*?<td class="odd">(.*?)</td>[\s|\S]*?align="center">(.*?)</td>[\s|\S]*?align="center">(.*?)</td>)re"),
       6, R"(<td class="odd"><a href=")", "</td>"},
      {Gbk(u8R"re(<h3><a href="(.*?)"[\s|\S]*?color:red;">(.*?)</a></h3>[\s|\S]*?<p>作者：<i>(.*?)</i>[\s|\S]*?状态：<i>(.*?)</i>[\s|\S]*?">(.*?)</a>[\s|\S]*?更新时间：<i>(.*?)</i></p>)re"),
       6, R"(<h3><a href=")", "</i></p>"},
      {Gbk(u8R"re(<dd><a href="(.*?)"[\s|\S]*?>(.*?)</a></dd>)re"), 2, R"(<dd><a href=")",
       "</a></dd>"},
      {Gbk(u8R"re(<meta.+?charset=[^\w]?([-\w]+))re"), 1, "<meta", ""},
  };
  return patterns[index];
}

bool IsWordOrDash(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-';
}

void CheckRun(const Pattern& pattern, const Text& subject) {
  const Text seen = FromUtf16(ToUtf16(subject, kCodePageGbk));
  RegexObject regex;
  if (!regex.Execute(pattern.pattern, subject)) {
    FUZZ_CHECK(regex.MatchCount() == 0 && regex.GroupCount() == 0);
    FUZZ_CHECK(regex.MatchText(1).empty() && regex.GroupText(1, 1).empty());
    return;
  }
  const int count = regex.MatchCount();
  FUZZ_CHECK(regex.GroupCount() == (count > 0 ? pattern.groups : 0));
  FUZZ_CHECK(regex.MatchText(count + 1).empty() && regex.GroupText(count + 1, 1).empty());

  std::size_t searchFrom = 0;
  std::size_t matchedBytes = 0;
  for (int m = 1; m <= count; ++m) {
    int position = -1;
    const Text match = regex.MatchText(m, &position);
    FUZZ_CHECK(!match.empty());
    const std::size_t at = seen.find(match, searchFrom);
    FUZZ_CHECK(at != Text::npos);
    searchFrom = at + match.size();
    matchedBytes += match.size();
    FUZZ_CHECK(StartsWithIgnoringCase(match, pattern.begins));
    FUZZ_CHECK(pattern.ends.empty() ? match.ends_with(regex.GroupText(m, 1))
                                    : EndsWithIgnoringCase(match, pattern.ends));
    FUZZ_CHECK(
        position == -2 ||
        (position >= 0 && MatchesAt(subject, static_cast<std::size_t>(position), match, true)));

    for (int g = 1; g <= pattern.groups; ++g) {
      int groupPosition = -1;
      const Text group = regex.GroupText(m, g, &groupPosition);
      FUZZ_CHECK(match.find(group) != Text::npos);
      FUZZ_CHECK(groupPosition == -2 ||
                 (groupPosition >= 0 &&
                  MatchesAt(subject, static_cast<std::size_t>(groupPosition), group, true)));
      if (pattern.ends.empty()) {
        FUZZ_CHECK(!group.empty());
        for (const char c : group) FUZZ_CHECK(IsWordOrDash(c));
      } else {
        FUZZ_CHECK(group.find('\n') == Text::npos);
      }
    }
    FUZZ_CHECK(regex.GroupText(m, pattern.groups + 1).empty());
  }

  FUZZ_CHECK(regex.Replace("$&") == seen);
  FUZZ_CHECK(regex.Replace().size() == seen.size() - matchedBytes);

  RegexObject first;
  if (count > 0 && first.Execute(pattern.pattern, subject, {}, {}, false)) {
    FUZZ_CHECK(first.MatchCount() == 1);
    FUZZ_CHECK(first.MatchText(1) == regex.MatchText(1));
    for (int g = 1; g <= pattern.groups; ++g) {
      FUZZ_CHECK(first.GroupText(1, g) == regex.GroupText(1, g));
    }
  }
}

}  // namespace
}  // namespace tevrin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tevrin::fuzz;
  const Input input = ReadInput(data, size, 1);
  // A Text holds no NUL; the engine's own conversion would stop at one.
  tevrin::Text subject = input.Option(2) ? ValidGbk(input.fields[0]) : input.fields[0];
  std::erase(subject, '\0');
  CheckRun(PatternAt(input.options & 3u), subject);
  return 0;
}
