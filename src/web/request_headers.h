#pragma once

// The request header block WebAccess hands to the HTTP service in one piece.

#include "text/text.h"

namespace tevrin {

/// The request header block: the caller's lines, then the default lines the caller did not give
/// (when `completeHeaders`), names rewritten with capital initials (when `normaliseHeaderNames`),
/// "Connection: keep-alive" taken out when another line follows it, and the cookie line when
/// `cookies` is not empty and the block carries no cookie yet. Lines are separated by CR LF.
Text ComposeRequestHeaders(const Text& requestHeaders, int method, const Text& cookies,
                           bool completeHeaders, bool normaliseHeaderNames);

/// The block with the first letter of every dash-separated piece of each header name raised;
/// lines without a colon are dropped and no CR LF follows the last line.
Text CapitaliseHeaderNames(const Text& block);

/// `text` with its first byte upper-cased when it is an ASCII small letter.
Text CapitaliseFirst(const Text& text);

/// The value of the first line of `block` that begins with `name` (letter case counts): what
/// follows the last "<name>: " in that line; empty when no line begins with `name`.
Text HeaderValue(const Text& block, const Text& name);

}  // namespace tevrin
