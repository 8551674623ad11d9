// TextBetween, TextBefore and TextAfterLast over random pages and markers.
//
// Input: options, then text NUL start marker NUL end marker. Option bit 0 ignores letter case;
// bits 1..7 give the start position (TextBetween, TextBefore) and the limit (TextAfterLast).
//
// Invariants:
// - each result is what the marker rules give when the markers are searched for with the
//   reference character walk (fuzz_support.h): first start marker at or after the start, first
//   end marker after it, last marker before the limit;
// - a TextBetween piece sits right after a start marker, is followed by an end marker and holds
//   no end marker at a character start of its own;
// - a TextBefore piece is a prefix of the text and a TextAfterLast piece a suffix;
// - writing every double quote of the markers as "#引号" changes nothing.

#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "text/code_page.h"
#include "text/markers.h"

namespace tevrin::fuzz {
namespace {

const Text& QuoteMarker() {
  static const Text marker = Gbk(u8"#引号");
  return marker;
}

// The stand-in is matched byte for byte over the whole marker, without the character walk.
Text Translated(std::string_view marker) {
  Text result;
  std::size_t copied = 0;
  for (std::size_t at; (at = marker.find(QuoteMarker(), copied)) != std::string_view::npos;) {
    result.append(marker.substr(copied, at - copied));
    result += '"';
    copied = at + QuoteMarker().size();
  }
  result.append(marker.substr(copied));
  return result;
}

Text QuotesAsStandIn(std::string_view marker) {
  Text result;
  for (const char c : marker) {
    if (c == '"') {
      result += QuoteMarker();
    } else {
      result += c;
    }
  }
  return result;
}

void CheckTextBetween(const Text& text, const Text& startMarker, const Text& endMarker,
                      long long start, bool ignoreCase) {
  const Text piece = TextBetween(text, startMarker, endMarker, start, ignoreCase);
  const Text startText = Translated(startMarker);
  const Text endText = Translated(endMarker);

  Text expected;
  const long long found = ReferenceFind(text, startText, start, ignoreCase);
  if (found != -1) {
    const long long from = found + static_cast<long long>(startText.size());
    const long long to = ReferenceFind(text, endText, from, ignoreCase);
    if (to != -1) expected = text.substr(static_cast<std::size_t>(from - 1), to - from);
  }
  FUZZ_CHECK(piece == expected);

  if (!piece.empty()) {
    const std::size_t at = static_cast<std::size_t>(found - 1) + startText.size();
    FUZZ_CHECK(MatchesAt(text, at - startText.size(), startText, ignoreCase));
    FUZZ_CHECK(text.compare(at, piece.size(), piece) == 0);
    FUZZ_CHECK(MatchesAt(text, at + piece.size(), endText, ignoreCase));
    FUZZ_CHECK(!endText.empty());
    FUZZ_CHECK(ReferenceFind(piece, endText, 1, ignoreCase) == -1);
  }

  if (startMarker.find(QuoteMarker()) == Text::npos &&
      endMarker.find(QuoteMarker()) == Text::npos) {
    FUZZ_CHECK(TextBetween(text, QuotesAsStandIn(startMarker), QuotesAsStandIn(endMarker), start,
                           ignoreCase) == piece);
  }
}

void CheckTextBefore(const Text& text, const Text& marker, long long start, bool ignoreCase) {
  const Text piece = TextBefore(text, marker, start, ignoreCase);
  const long long found = ReferenceFind(text, marker, start, ignoreCase);
  FUZZ_CHECK(piece == (found == -1 ? Text() : text.substr(0, found - 1)));
  FUZZ_CHECK(text.starts_with(piece));
}

void CheckTextAfterLast(const Text& text, const Text& marker, std::optional<long long> limit,
                        bool ignoreCase) {
  const Text piece = TextAfterLast(text, marker, limit, ignoreCase);
  const long long found = ReferenceFindLast(text, marker, limit, ignoreCase);
  FUZZ_CHECK(piece == (found == -1 ? Text() : text.substr(found - 1 + marker.size())));
  FUZZ_CHECK(text.ends_with(piece));
  if (!limit && found != -1) {
    FUZZ_CHECK(MatchesAt(text, text.size() - piece.size() - marker.size(), marker, ignoreCase));
  }
}

}  // namespace
}  // namespace tevrin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tevrin::fuzz;
  const Input input = ReadInput(data, size, 3);
  const tevrin::Text& text = input.fields[0];
  const tevrin::Text& startMarker = input.fields[1];
  const tevrin::Text& endMarker = input.fields[2];
  const bool ignoreCase = input.Option(0);
  // Positions around the start of the text, and one past its end.
  const long long position = input.options >> 1;
  const long long start = position == 127 ? static_cast<long long>(text.size()) + 1 : position - 2;
  const std::optional<long long> limit =
      position == 0 ? std::nullopt : std::optional<long long>(position - 3);

  CheckTextBetween(text, startMarker, endMarker, start, ignoreCase);
  CheckTextBefore(text, startMarker, start, ignoreCase);
  CheckTextAfterLast(text, endMarker, limit, ignoreCase);
  if (start != 1) CheckTextBetween(text, startMarker, endMarker, 1, ignoreCase);
  if (limit) CheckTextAfterLast(text, endMarker, std::nullopt, ignoreCase);
  return 0;
}
