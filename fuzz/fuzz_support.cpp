#include "fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace tevrin::fuzz {

namespace {

bool IsAsciiLetter(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

unsigned char Fold(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Fold(static_cast<unsigned char>(a[i])) != Fold(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

void Fail(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "\n%s:%d: invariant broken: %s\n", file, line, condition);
  std::fflush(stderr);
  std::abort();
}

Input ReadInput(const std::uint8_t* data, std::size_t size, std::size_t fieldCount) {
  Input input;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.empty()) {
    input.fields.resize(fieldCount);
    return input;
  }
  input.options = static_cast<unsigned char>(bytes[0]);
  std::string_view rest = bytes.substr(1);
  for (std::size_t i = 0; i < fieldCount; ++i) {
    const std::size_t nul = i + 1 < fieldCount ? rest.find('\0') : std::string_view::npos;
    input.fields.emplace_back(rest.substr(0, nul));
    rest = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
  }
  return input;
}

Text ValidGbk(std::string_view bytes) {
  Text result;
  result.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c == 0) continue;
    if (c < 0x80) {
      result += static_cast<char>(c);
      continue;
    }
    if (c == 0x80 || c == 0xFF || i + 1 == bytes.size()) continue;
    const auto trail = static_cast<unsigned char>(bytes[i + 1]);
    if (trail < 0x40 || trail == 0x7F || trail == 0xFF) continue;
    result += static_cast<char>(c);
    result += static_cast<char>(trail);
    ++i;
  }
  return result;
}

std::size_t CharLength(std::string_view text, std::size_t at) {
  return static_cast<unsigned char>(text[at]) >= 0x80 && at + 1 < text.size() ? 2 : 1;
}

bool IsBoundary(std::string_view text, std::size_t from, std::size_t at) {
  std::size_t i = from;
  while (i < at) i += CharLength(text, i);
  return i == at;
}

bool MatchesAt(std::string_view text, std::size_t at, std::string_view what, bool ignoreCase) {
  if (at > text.size() || text.size() - at < what.size()) return false;
  // Walks the characters of the text under the match to know which bytes are trail bytes.
  std::size_t nextStart = at;
  for (std::size_t k = 0; k < what.size(); ++k) {
    const std::size_t i = at + k;
    const bool characterStart = i == nextStart;
    if (characterStart) nextStart += CharLength(text, i);
    const auto a = static_cast<unsigned char>(text[i]);
    const auto b = static_cast<unsigned char>(what[k]);
    if (a == b) continue;
    if (!ignoreCase || !characterStart || !IsAsciiLetter(a) || Fold(a) != Fold(b)) return false;
  }
  return true;
}

long long ReferenceFind(std::string_view text, std::string_view what, long long start,
                        bool ignoreCase) {
  const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
  if (from >= text.size()) return -1;
  if (what.empty()) return static_cast<long long>(from) + 1;
  for (std::size_t i = from; i < text.size(); i += CharLength(text, i)) {
    if (MatchesAt(text, i, what, ignoreCase)) return static_cast<long long>(i) + 1;
  }
  return -1;
}

long long ReferenceFindLast(std::string_view text, std::string_view what,
                            std::optional<long long> limit, bool ignoreCase) {
  if (what.empty()) return -1;
  std::size_t end = text.size();
  if (limit) {
    if (*limit <= 1) return -1;
    end = std::min(end, static_cast<std::size_t>(*limit - 1));
  }
  // Character starts come from the walk over the whole text; an occurrence counts when it lies
  // wholly before the limit.
  const std::string_view region = text.substr(0, end);
  long long last = -1;
  for (std::size_t i = 0; i < region.size(); i += CharLength(region, i)) {
    if (MatchesAt(region, i, what, ignoreCase)) last = static_cast<long long>(i) + 1;
  }
  return last;
}

std::size_t CountOccurrences(std::string_view text, std::string_view what, bool ignoreCase) {
  if (what.empty()) return 0;
  std::size_t count = 0;
  long long from = 1;
  for (long long at; (at = ReferenceFind(text, what, from, ignoreCase)) != -1;) {
    ++count;
    from = at + static_cast<long long>(what.size());
  }
  return count;
}

std::size_t SpaceLengthAt(std::string_view text, std::size_t at) {
  if (text[at] == ' ') return 1;
  if (at + 1 < text.size() && text[at] == '\xA1' && text[at + 1] == '\xA1') return 2;
  return 0;
}

bool HasSpaceCharacter(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (SpaceLengthAt(text, i) > 0) return true;
  }
  return false;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

std::string_view TrimBlanksAndTabs(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace tevrin::fuzz
