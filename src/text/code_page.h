#pragma once

// Conversions between GBK, UTF-16 and UTF-8, and named charsets, over glibc iconv.

#include <optional>
#include <string>
#include <string_view>

#include "text/text.h"

namespace tevrin {

inline constexpr int kCodePageGbk = 936;
inline constexpr int kCodePageUtf8 = 65001;

/// UTF-16LE of the whole text plus a terminating zero character, decoding with `codePage`
/// (936 or 65001). Each byte that does not decode becomes U+FFFD, and a character cut off at the
/// end one U+FFFD; the rest still converts. Another code page gives just the zero character.
Bytes ToUtf16(std::string_view text, int codePage = kCodePageUtf8);
/// The UTF-16LE string up to its first zero character, encoded with `codePage` (default: the
/// system's ANSI code page, GBK here). A character GBK cannot hold becomes "?", a lone surrogate
/// "?" in GBK and U+FFFD in UTF-8.
Text FromUtf16(std::string_view utf16, int codePage = kCodePageGbk);
/// The same characters in UTF-8.
std::string GbkToUtf8(std::string_view gbk);
/// Every byte of the UTF-8 form as "%XX" with upper-case hex digits.
Text PercentEncode(std::string_view gbk);

/// GBK text for the screen: decoded as GB18030 (a superset), so nothing is lost; the byte 0x80
/// is the euro sign as in code page 936, other undecodable bytes become U+FFFD.
std::string GbkToDisplayUtf8(std::string_view gbk);
/// UTF-8 from the screen to GBK; a character GBK cannot hold, or a malformed byte, becomes "?".
Text Utf8ToGbk(std::string_view utf8);

/// Converts `bytes` from the charset `name` to GBK; a character GBK cannot hold becomes "?".
/// Input bytes that do not decode become "?" each. "gb2312" in any letter case is read as GBK.
/// Nothing when iconv does not know the name (or it carries iconv options after "/").
std::optional<Text> CharsetToGbk(std::string_view bytes, std::string_view name);

/// A literal written in UTF-8 in the source, as GBK. Cache the result in a function-local static.
Text Gbk(std::u8string_view literal);

}  // namespace tevrin
