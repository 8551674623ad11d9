#pragma once

// The response body as GBK text, converted from the character set the page declares.

#include "text/regex_object.h"
#include "text/text.h"
#include "web/process_events.h"

namespace tevrin {

/// The body as GBK text: charset declared in the first 1024 bytes of the plain text (up to the
/// first NUL); converted by CharsetToGbk unless "gbk"/"gb2312" (exact bytes) or nothing found.
/// Calls processEvents once when Execute of the charset pattern succeeded. The conversion reads
/// the whole body; since Text holds no NUL, its result ends before the first NUL it contains.
Text DecodeResponse(const Bytes& body, RegexObject& regex, const ProcessEventsFn& processEvents);
/// The same, taking the body's block for the result where no conversion is needed.
Text DecodeResponse(Bytes&& body, RegexObject& regex, const ProcessEventsFn& processEvents);

}  // namespace tevrin
