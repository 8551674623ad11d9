// Find, FindLast, EqualsIgnoreCase and the ASCII case mappings over random GBK-ish bytes.
//
// Input: options, then text NUL what. Option bit 0 ignores letter case; bits 1..7 give the start
// position of Find and the limit of FindLast.
//
// Invariants:
// - Find and FindLast give exactly what the reference walk gives (every character start tried,
//   folding only ASCII letters outside trail bytes); a found position is a character start
//   counted from the start position (from byte 1 for FindLast) and the bytes there match;
// - ignoring case never finds an occurrence later than the exact search does;
// - the case mappings keep the length, touch only ASCII letters at character starts, and agree
//   with EqualsIgnoreCase.

#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"

namespace tevrin::fuzz {
namespace {

void CheckFind(const Text& text, const Text& what, long long start, bool ignoreCase) {
  const long long found = Find(text, what, start, ignoreCase);
  FUZZ_CHECK(found == ReferenceFind(text, what, start, ignoreCase));
  if (found != -1) {
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
    FUZZ_CHECK(found >= 1 && static_cast<std::size_t>(found - 1) >= from);
    FUZZ_CHECK(IsBoundary(text, from, static_cast<std::size_t>(found - 1)));
    FUZZ_CHECK(MatchesAt(text, static_cast<std::size_t>(found - 1), what, ignoreCase));
  }
  if (ignoreCase) {
    const long long exact = Find(text, what, start, false);
    FUZZ_CHECK(exact == -1 || (found != -1 && found <= exact));
  }
}

void CheckFindLast(const Text& text, const Text& what, std::optional<long long> limit,
                   bool ignoreCase) {
  const long long found = FindLast(text, what, limit, ignoreCase);
  FUZZ_CHECK(found == ReferenceFindLast(text, what, limit, ignoreCase));
  if (found != -1) {
    const std::size_t at = static_cast<std::size_t>(found - 1);
    FUZZ_CHECK(IsBoundary(text, 0, at));
    FUZZ_CHECK(MatchesAt(text, at, what, ignoreCase));
    FUZZ_CHECK(!limit || static_cast<long long>(at + what.size()) <= *limit - 1);
    // The last one: Find from just after it finds nothing that also ends before the limit.
    const long long next = Find(text, what, found + 1, ignoreCase);
    FUZZ_CHECK(next == -1 || !IsBoundary(text, 0, static_cast<std::size_t>(next - 1)) ||
               (limit && static_cast<long long>(next - 1 + what.size()) > *limit - 1));
  }
}

void CheckCaseMappings(const Text& text, const Text& what) {
  const Text upper = ToUpperAscii(text);
  const Text lower = ToLowerAscii(text);
  FUZZ_CHECK(upper.size() == text.size() && lower.size() == text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool start = IsBoundary(text, 0, i);
    const char c = text[i];
    const bool small = start && c >= 'a' && c <= 'z';
    const bool capital = start && c >= 'A' && c <= 'Z';
    FUZZ_CHECK(upper[i] == (small ? static_cast<char>(c - 'a' + 'A') : c));
    FUZZ_CHECK(lower[i] == (capital ? static_cast<char>(c - 'A' + 'a') : c));
  }
  FUZZ_CHECK(EqualsIgnoreCase(upper, text) && EqualsIgnoreCase(text, lower));
  FUZZ_CHECK(ToLowerAscii(upper) == lower && ToUpperAscii(lower) == upper);
  FUZZ_CHECK(EqualsIgnoreCase(text, what) ==
             (text.size() == what.size() && MatchesAt(text, 0, what, true)));
}

}  // namespace
}  // namespace tevrin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tevrin::fuzz;
  const Input input = ReadInput(data, size, 2);
  const tevrin::Text& text = input.fields[0];
  const tevrin::Text& what = input.fields[1];
  const bool ignoreCase = input.Option(0);
  const long long position = input.options >> 1;
  const long long start = position == 127 ? static_cast<long long>(text.size()) : position - 2;
  // Limits from -1 up; position 0 stands for an omitted limit.
  const std::optional<long long> limit =
      position == 0 ? std::nullopt : std::optional<long long>(position - 3);

  CheckFind(text, what, start, ignoreCase);
  CheckFind(text, what, 1, ignoreCase);
  CheckFindLast(text, what, limit, ignoreCase);
  CheckFindLast(text, what, std::nullopt, ignoreCase);
  CheckCaseMappings(text, what);
  return 0;
}
