#pragma once

// Cookies kept as plain text ("name=value" items separated by ";"), collected from Set-Cookie
// response lines and merged with the cookies that were sent.

#include "text/text.h"

namespace tevrin {

/// Examines one response header line; appends a Set-Cookie cookie and "; " to responseCookies.
/// Only the header name "Set-Cookie" written exactly so counts; attributes after the first ";"
/// are dropped.
void CollectCookie(const Text& headerLine, Text& responseCookies);

/// After the last line: drops a trailing "; " from responseCookies and, when mergeCookies and
/// `cookies` is not empty, merges (both variables end up holding the merged text).
void TidyAndMergeCookies(Text& cookies, Text& responseCookies, bool mergeCookies);

/// The collected cookies in their order, then the sent cookies whose names were not collected,
/// joined by "; ", without blanks, deleted items ("=deleted") or exact repeats. Both arguments are
/// stripped of blanks; `oldCookies` ends up holding the result.
Text MergeCookies(Text& oldCookies, Text& newCookies);

/// The part of `item` before its first "=" (the whole item without one), trimmed of blanks.
Text CookieName(const Text& item);

/// True when some item's cookie name equals `name` byte for byte.
bool HasCookieName(const TextList& items, const Text& name);

/// `text` split at `separator` with exact repeats removed, joined again by `separator`.
Text JoinDistinct(const Text& text, const Text& separator);

/// 1-based position of the first element equal to `text` byte for byte; -1 when there is none.
int IndexOfText(const TextList& list, const Text& text);

}  // namespace tevrin
