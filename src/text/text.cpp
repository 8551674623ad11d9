#include "text/text.h"

#include <cstdint>
#include <cstring>

namespace tevrin {
namespace {

constexpr std::size_t kNone = std::string_view::npos;
constexpr unsigned char kFullWidthSpaceByte = 0xA1;

unsigned char ByteAt(std::string_view text, std::size_t at) {
  return static_cast<unsigned char>(text[at]);
}

bool IsLeadByte(unsigned char byte) {
  return byte >= 0x80;
}

// Bytes of the character starting at `at`: a lead byte takes the following byte with it, except
// a lone lead byte at the very end.
std::size_t CharLength(std::string_view text, std::size_t at) {
  return IsLeadByte(ByteAt(text, at)) && at + 1 < text.size() ? 2 : 1;
}

char FoldAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The first character boundary at or after `target`, walking forward from the boundary `pos`.
// Runs of ASCII are skipped eight bytes at a time; they cannot hold a lead byte.
std::size_t BoundaryAtOrAfter(std::string_view text, std::size_t pos, std::size_t target) {
  const char* data = text.data();
  while (pos < target) {
    if (target - pos >= 8) {
      std::uint64_t word;
      std::memcpy(&word, data + pos, sizeof word);
      if ((word & 0x8080808080808080ull) == 0) {
        pos += 8;
        continue;
      }
    }
    pos += IsLeadByte(ByteAt(text, pos)) ? 2 : 1;
  }
  return pos;
}

// Whether `what` sits at `at` with ASCII letters folded. Double-byte characters compare exactly,
// trail byte included, so a trail byte that looks like a letter is never folded.
bool MatchesIgnoringCase(std::string_view text, std::size_t at, std::string_view what) {
  std::size_t i = 0;
  while (i < what.size()) {
    char a = text[at + i];
    char b = what[i];
    if (IsLeadByte(static_cast<unsigned char>(a))) {
      if (a != b) return false;
      if (i + 1 < what.size() && text[at + i + 1] != what[i + 1]) return false;
      i += 2;
    } else {
      if (FoldAscii(a) != FoldAscii(b)) return false;
      ++i;
    }
  }
  return true;
}

// 0-based position of the first `what` (not empty) at a character boundary at or after `from`,
// where `from` itself counts as a boundary; kNone when there is none.
std::size_t FindFrom(std::string_view text, std::string_view what, std::size_t from,
                     bool ignoreCase) {
  const std::size_t m = what.size();
  std::size_t pos = from;
  if (ignoreCase) {
    const char first = FoldAscii(what[0]);
    while (pos < text.size() && text.size() - pos >= m) {
      if (FoldAscii(text[pos]) == first && MatchesIgnoringCase(text, pos, what)) return pos;
      pos += IsLeadByte(ByteAt(text, pos)) ? 2 : 1;
    }
    return kNone;
  }
  while (pos < text.size() && text.size() - pos >= m) {
    const void* hit = memmem(text.data() + pos, text.size() - pos, what.data(), m);
    if (hit == nullptr) return kNone;
    const std::size_t candidate =
        static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
    pos = BoundaryAtOrAfter(text, pos, candidate);
    if (pos == candidate) return candidate;
    // The candidate began on a trail byte; the walk already stands on the next boundary.
  }
  return kNone;
}

// 0-based start for a 1-based position where below 1 counts as 1.
std::size_t StartIndex(long long start) {
  return start < 1 ? 0 : static_cast<std::size_t>(start - 1);
}

bool IsAsciiSpaceAt(std::string_view text, std::size_t at) {
  return text[at] == ' ';
}

bool IsFullWidthSpaceAt(std::string_view text, std::size_t at) {
  return at + 1 < text.size() && ByteAt(text, at) == kFullWidthSpaceByte &&
         ByteAt(text, at + 1) == kFullWidthSpaceByte;
}

// Length of the space at `at`, or 0 when the character there is no space.
std::size_t SpaceLength(std::string_view text, std::size_t at) {
  if (IsAsciiSpaceAt(text, at)) return 1;
  if (IsFullWidthSpaceAt(text, at)) return 2;
  return 0;
}

template <typename Map>
Text MapAsciiLetters(std::string_view text, Map map) {
  Text result(text);
  for (std::size_t i = 0; i < result.size(); i += CharLength(result, i)) {
    result[i] = map(result[i]);
  }
  return result;
}

}  // namespace

Text Left(std::string_view text, long long count) {
  if (count <= 0) return Text();
  return Text(text.substr(0, static_cast<unsigned long long>(count) < text.size()
                                 ? static_cast<std::size_t>(count)
                                 : text.size()));
}

Text Right(std::string_view text, long long count) {
  if (count <= 0) return Text();
  if (static_cast<unsigned long long>(count) >= text.size()) return Text(text);
  return Text(text.substr(text.size() - static_cast<std::size_t>(count)));
}

Text Middle(std::string_view text, long long start, long long count) {
  if (start < 1 || static_cast<unsigned long long>(start) > text.size() || count == 0) {
    return Text();
  }
  const std::size_t from = static_cast<std::size_t>(start - 1);
  if (count < 0) return Text(text.substr(from));
  const std::size_t available = text.size() - from;
  return Text(text.substr(from, static_cast<unsigned long long>(count) < available
                                    ? static_cast<std::size_t>(count)
                                    : available));
}

// An empty `what` is found at the start position itself, as long as that lies within the text.
long long Find(std::string_view text, std::string_view what, long long start, bool ignoreCase) {
  const std::size_t from = StartIndex(start);
  if (from >= text.size()) return -1;
  if (what.empty()) return static_cast<long long>(from) + 1;
  const std::size_t found = FindFrom(text, what, from, ignoreCase);
  return found == kNone ? -1 : static_cast<long long>(found) + 1;
}

// Occurrences are found walking forward from byte 1 over the part before the limit, so the
// character boundaries are the same ones Find sees from byte 1. An empty `what` is never found.
long long FindLast(std::string_view text, std::string_view what, std::optional<long long> limit,
                   bool ignoreCase) {
  std::size_t end = text.size();
  if (limit) {
    if (*limit <= 1) return -1;
    if (static_cast<unsigned long long>(*limit - 1) < end)
      end = static_cast<std::size_t>(*limit - 1);
  }
  if (what.empty()) return -1;
  const std::string_view region = text.substr(0, end);
  std::size_t last = kNone;
  std::size_t pos = 0;
  for (std::size_t found; (found = FindFrom(region, what, pos, ignoreCase)) != kNone;) {
    last = found;
    pos = found + CharLength(region, found);
  }
  return last == kNone ? -1 : static_cast<long long>(last) + 1;
}

// After a replacement the search resumes right after the replaced bytes, as a fresh start.
Text ReplaceAll(std::string_view text, std::string_view what, std::string_view with,
                long long count, bool ignoreCase) {
  if (text.empty() || what.empty()) return Text(text);
  Text result;
  result.reserve(text.size());
  std::size_t copied = 0;
  long long replaced = 0;
  while (count < 1 || replaced < count) {
    const std::size_t found = FindFrom(text, what, copied, ignoreCase);
    if (found == kNone) break;
    result.append(text.substr(copied, found - copied));
    result.append(with);
    copied = found + what.size();
    ++replaced;
  }
  result.append(text.substr(copied));
  return result;
}

TextList Split(std::string_view text, std::string_view separator) {
  TextList pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  std::size_t from = 0;
  for (std::size_t found; (found = FindFrom(text, separator, from, false)) != kNone;) {
    pieces.emplace_back(text.substr(from, found - from));
    from = found + separator.size();
  }
  if (from < text.size()) pieces.emplace_back(text.substr(from));
  return pieces;
}

// Walks characters from the front, so a trailing A1 A1 counts as a space only when it really is
// one character and not the trail of the character before it plus a lead byte.
Text Trim(std::string_view text) {
  std::size_t begin = 0;
  for (std::size_t space; begin < text.size() && (space = SpaceLength(text, begin)) > 0;) {
    begin += space;
  }
  std::size_t end = begin;
  for (std::size_t i = begin; i < text.size();) {
    const std::size_t space = SpaceLength(text, i);
    i += space > 0 ? space : CharLength(text, i);
    if (space == 0) end = i;
  }
  return Text(text.substr(begin, end - begin));
}

Text RemoveAllSpaces(std::string_view text) {
  Text result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t space = SpaceLength(text, i);
    if (space > 0) {
      i += space;
      continue;
    }
    const std::size_t length = CharLength(text, i);
    result.append(text.substr(i, length));
    i += length;
  }
  return result;
}

// Only single-byte characters change: the trail byte of a double-byte character may look like a
// letter but is part of another character.
Text ToUpperAscii(std::string_view text) {
  return MapAsciiLetters(
      text, [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
}

Text ToLowerAscii(std::string_view text) {
  return MapAsciiLetters(text, FoldAscii);
}

Text ToDecimal(long long number) {
  return std::to_string(number);
}

Text ToHex(unsigned long long number) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  char buffer[16];
  std::size_t length = 0;
  do {
    buffer[sizeof buffer - ++length] = kDigits[number & 0x0F];
    number >>= 4;
  } while (number != 0);
  return Text(buffer + sizeof buffer - length, length);
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && MatchesIgnoringCase(a, 0, b);
}

}  // namespace tevrin
