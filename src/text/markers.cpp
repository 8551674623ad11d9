#include "text/markers.h"

#include "text/code_page.h"

namespace tevrin {
namespace {

// Callers write a double quote inside a marker as "#引号". The stand-in is matched byte for byte,
// not by the character walk, so it is found wherever its bytes appear in the marker.
Text TranslateQuoteMarker(std::string_view marker) {
  static const Text kQuoteMarker = Gbk(u8"#引号");
  Text result;
  result.reserve(marker.size());
  std::size_t copied = 0;
  for (std::size_t found; (found = marker.find(kQuoteMarker, copied)) != std::string_view::npos;) {
    result.append(marker.substr(copied, found - copied));
    result += '"';
    copied = found + kQuoteMarker.size();
  }
  result.append(marker.substr(copied));
  return result;
}

}  // namespace

// Only the first start marker counts: when no end marker follows it, a later start marker is not
// tried.
Text TextBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker,
                 long long start, bool ignoreCase) {
  const Text startText = TranslateQuoteMarker(startMarker);
  const Text endText = TranslateQuoteMarker(endMarker);
  const long long found = Find(text, startText, start, ignoreCase);
  if (found < 0) return Text();
  const long long from = found + static_cast<long long>(startText.size());
  const long long to = Find(text, endText, from, ignoreCase);
  if (to < 0) return Text();
  return Middle(text, from, to - from);
}

Text TextBefore(std::string_view text, std::string_view marker, long long start, bool ignoreCase) {
  const long long found = Find(text, marker, start, ignoreCase);
  if (found < 0) return Text();
  return Left(text, found - 1);
}

Text TextAfterLast(std::string_view text, std::string_view marker, std::optional<long long> limit,
                   bool ignoreCase) {
  const long long found = FindLast(text, marker, limit, ignoreCase);
  if (found < 0) return Text();
  return Text(text.substr(static_cast<std::size_t>(found - 1) + marker.size()));
}

}  // namespace tevrin
