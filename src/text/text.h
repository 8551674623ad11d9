#pragma once

// GBK text and the byte-level operations every other component builds on.
//
// A Text is a string of GBK bytes; positions are 1-based byte positions, lengths are byte counts.
// Searches walk GBK characters: a byte of 128 or more starts a double-byte character, so a match
// is found only at a character boundary counted from where the search starts. Every operation is
// linear in the length of its input.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tevrin {

/// GBK bytes without NUL bytes; the empty string is also "no text".
using Text = std::string;
/// A counted byte array that may hold any byte, NUL included.
using Bytes = std::string;
/// The pieces of a split text; the program counts them from 1, the vector from 0.
using TextList = std::vector<Text>;

/// First `count` bytes; empty for a count of 0 or less, the whole text past its end.
Text Left(std::string_view text, long long count);
/// Last `count` bytes; empty for a count of 0 or less, the whole text past its start.
Text Right(std::string_view text, long long count);
/// `count` bytes from 1-based `start` (to the end when `count` is negative); empty when `start`
/// is below 1 or beyond the last byte.
Text Middle(std::string_view text, long long start, long long count = -1);

/// 1-based position of the first occurrence of `what` at or after `start` (below 1 counts as 1),
/// walking GBK characters from `start`; -1 when there is none. Ignoring case folds ASCII only.
/// An empty `what` is found at `start` itself when that lies within the text.
long long Find(std::string_view text, std::string_view what, long long start = 1,
               bool ignoreCase = false);
/// 1-based position of the last occurrence of `what` lying wholly before 1-based `limit`
/// (the whole text when `limit` is omitted or past the end); -1 when there is none. Character
/// boundaries are counted from byte 1; an empty `what` is never found.
long long FindLast(std::string_view text, std::string_view what,
                   std::optional<long long> limit = std::nullopt, bool ignoreCase = false);

/// Replaces occurrences left to right, never overlapping and never searching inserted text;
/// `count` below 1 means every occurrence. An empty text or empty `what` is returned unchanged.
/// The search resumes right after each replaced occurrence as if starting there.
Text ReplaceAll(std::string_view text, std::string_view what, std::string_view with,
                long long count = -1, bool ignoreCase = false);
inline Text ReplaceAllIgnoreCase(std::string_view text, std::string_view what,
                                 std::string_view with) {
  return ReplaceAll(text, what, with, -1, true);
}

/// Splits at `separator`: empty pieces between separators are kept, none follows a final
/// separator, and an empty text gives no pieces. An empty separator gives the text as one piece.
TextList Split(std::string_view text, std::string_view separator);

/// A space is the ASCII space or the full-width space (the GBK pair A1 A1); tabs and line breaks
/// are not spaces.
Text Trim(std::string_view text);
Text RemoveAllSpaces(std::string_view text);

/// ASCII letters to upper / lower case; every other byte unchanged, including trail bytes of
/// double-byte characters that happen to be letters.
Text ToUpperAscii(std::string_view text);
Text ToLowerAscii(std::string_view text);

/// Decimal text of `number`.
Text ToDecimal(long long number);
/// Upper-case hexadecimal without leading zeros ("0" for zero).
Text ToHex(unsigned long long number);

/// Byte comparison folding ASCII letters only (never the trail byte of a double-byte character).
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace tevrin
