// ReplaceAll, Split, Trim and RemoveAllSpaces over random GBK-ish bytes.
//
// Input: options, then text NUL what NUL with. Option bit 0 ignores letter case in ReplaceAll;
// bits 1..3 give its count (0: every occurrence).
//
// Invariants:
// - ReplaceAll is the walk "find from where the last replaced occurrence ended, as a fresh
//   start" with the reference Find, stopping after `count`; its length follows from the number
//   of replacements; replacing every occurrence by itself (letter case counting) is the identity;
// - Split gives the pieces between separators found the same way, joining them with the
//   separator gives the text back (but for one final separator), and no piece holds a separator
//   at a character start of its own;
// - Trim removes exactly the spaces (ASCII blank, full-width A1 A1 at a character start) at both
//   ends and nothing else; RemoveAllSpaces drops every space character and keeps the others.

#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"

namespace tevrin::fuzz {
namespace {

Text ExpectedReplacement(const Text& text, const Text& what, const Text& with, long long count,
                         bool ignoreCase, std::size_t& replaced) {
  replaced = 0;
  if (text.empty() || what.empty()) return text;
  Text result;
  std::size_t copied = 0;
  while (count < 1 || static_cast<long long>(replaced) < count) {
    const long long at = ReferenceFind(text, what, static_cast<long long>(copied) + 1, ignoreCase);
    if (at == -1) break;
    result.append(text, copied, static_cast<std::size_t>(at - 1) - copied);
    result += with;
    copied = static_cast<std::size_t>(at - 1) + what.size();
    ++replaced;
  }
  result.append(text, copied);
  return result;
}

void CheckReplaceAll(const Text& text, const Text& what, const Text& with, long long count,
                     bool ignoreCase) {
  std::size_t replaced = 0;
  const Text result = ReplaceAll(text, what, with, count, ignoreCase);
  FUZZ_CHECK(result == ExpectedReplacement(text, what, with, count, ignoreCase, replaced));
  FUZZ_CHECK(result.size() + replaced * what.size() == text.size() + replaced * with.size());
  FUZZ_CHECK(ReplaceAll(text, what, what, count, false) == text);
}

void CheckSplit(const Text& text, const Text& separator) {
  const TextList pieces = Split(text, separator);
  if (text.empty()) {
    FUZZ_CHECK(pieces.empty());
    return;
  }
  if (separator.empty()) {
    FUZZ_CHECK(pieces.size() == 1 && pieces[0] == text);
    return;
  }
  Text joined;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) joined += separator;
    joined += pieces[i];
    FUZZ_CHECK(ReferenceFind(pieces[i], separator) == -1);
  }
  FUZZ_CHECK(joined == text || joined + separator == text);
  // A final separator leaves no empty piece after it, so the count is the separators found, plus
  // one unless the text ends with one.
  const std::size_t separators = CountOccurrences(text, separator, false);
  const bool endsWithSeparator = joined != text;
  FUZZ_CHECK(pieces.size() == separators + (endsWithSeparator ? 0 : 1));
  FUZZ_CHECK(ReplaceAll(text, separator, Text(1, '\n')).size() ==
             text.size() - separators * (separator.size() - 1));
}

void CheckSpaces(const Text& text) {
  const Text trimmed = Trim(text);
  std::size_t begin = 0;
  for (std::size_t space; begin < text.size() && (space = SpaceLengthAt(text, begin)) > 0;) {
    begin += space;
  }
  FUZZ_CHECK(text.compare(begin, trimmed.size(), trimmed) == 0);
  // Everything after the trimmed text, walked from there, is spaces.
  const std::size_t end = begin + trimmed.size();
  FUZZ_CHECK(IsBoundary(text, begin, end));
  for (std::size_t i = end; i < text.size();) {
    const std::size_t space = SpaceLengthAt(text, i);
    FUZZ_CHECK(space > 0);
    i += space;
  }
  if (!trimmed.empty()) {
    FUZZ_CHECK(SpaceLengthAt(trimmed, 0) == 0);
    std::size_t last = 0;
    for (std::size_t i = 0; i < trimmed.size(); i += CharLength(trimmed, i)) last = i;
    FUZZ_CHECK(SpaceLengthAt(trimmed, last) == 0);
  }
  FUZZ_CHECK(Trim(trimmed) == trimmed);

  const Text removed = RemoveAllSpaces(text);
  Text expected;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t space = SpaceLengthAt(text, i);
    const std::size_t length = space > 0 ? space : CharLength(text, i);
    if (space == 0) expected.append(text, i, length);
    i += length;
  }
  FUZZ_CHECK(removed == expected);
  FUZZ_CHECK(!HasSpaceCharacter(removed));
  FUZZ_CHECK(RemoveAllSpaces(trimmed) == removed);
}

}  // namespace
}  // namespace tevrin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tevrin::fuzz;
  const Input input = ReadInput(data, size, 3);
  const tevrin::Text& text = input.fields[0];
  const tevrin::Text& what = input.fields[1];
  const tevrin::Text& with = input.fields[2];
  const bool ignoreCase = input.Option(0);
  const long long count = (input.options >> 1) & 7u;

  CheckReplaceAll(text, what, with, count == 0 ? -1 : count, ignoreCase);
  CheckSplit(text, what);
  CheckSpaces(text);
  CheckSpaces(what);
  return 0;
}
