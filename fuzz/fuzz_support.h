#pragma once

// What every fuzz target shares: the input layout, a check that stops the run with a readable
// message, valid-GBK shaping of raw bytes, and a plain reference for the GBK character walk that
// the text primitives promise, written for clarity rather than speed.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"

/// Stops the run (libFuzzer records the input) when an invariant does not hold. Unlike assert it
/// stays on in every build type.
#define FUZZ_CHECK(condition)                                               \
  do {                                                                      \
    if (!(condition)) ::tevrin::fuzz::Fail(#condition, __FILE__, __LINE__); \
  } while (false)

namespace tevrin::fuzz {

/// Prints the failed invariant and aborts.
[[noreturn]] void Fail(const char* condition, const char* file, int line);

/// A fuzz input: the first byte holds option bits, the rest is fields separated by NUL bytes
/// (texts hold no NUL). The last field takes everything left, NUL bytes included, so a field of
/// raw bytes goes last. Missing fields are empty. Seed files are therefore easy to write by hand.
struct Input {
  unsigned options = 0;
  std::vector<std::string> fields;

  bool Option(unsigned bit) const { return (options >> bit & 1u) != 0; }
};
Input ReadInput(const std::uint8_t* data, std::size_t size, std::size_t fieldCount);

/// `bytes` shaped into well-formed GBK: no NUL, every byte of 0x81..0xFE followed by a trail byte
/// (0x40..0x7E, 0x80..0xFE); bytes that cannot start or finish a character are dropped.
Text ValidGbk(std::string_view bytes);

/// Bytes of the character starting at `at` in the walk: a byte of 0x80 or more takes the next
/// byte with it, except at the very end.
std::size_t CharLength(std::string_view text, std::size_t at);
/// Whether 0-based `at` is a character start when walking from 0-based `from`.
bool IsBoundary(std::string_view text, std::size_t from, std::size_t at);
/// Whether `what` sits at `at` (which must be a character start): bytes equal, or with
/// `ignoreCase` ASCII letters equal when folded, except trail bytes of double-byte characters.
bool MatchesAt(std::string_view text, std::size_t at, std::string_view what, bool ignoreCase);
/// Find as the text rules put it, by trying every character start from `start`.
long long ReferenceFind(std::string_view text, std::string_view what, long long start = 1,
                        bool ignoreCase = false);
/// FindLast as the text rules put it (`limit` -1: the whole text).
long long ReferenceFindLast(std::string_view text, std::string_view what,
                            std::optional<long long> limit = std::nullopt, bool ignoreCase = false);
/// Occurrences found walking from byte 1 and resuming after each one, as replacing does.
std::size_t CountOccurrences(std::string_view text, std::string_view what, bool ignoreCase);

/// Length of the space character (ASCII blank 1, full-width A1 A1 2) at a character start, or 0.
std::size_t SpaceLengthAt(std::string_view text, std::size_t at);
/// Whether some character of the walk from byte 1 is a space.
bool HasSpaceCharacter(std::string_view text);
/// ASCII letters folded, every other byte equal; no character walk.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);
bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix);

/// `text` with every ASCII blank and tab removed from both ends.
std::string_view TrimBlanksAndTabs(std::string_view text);

}  // namespace tevrin::fuzz
