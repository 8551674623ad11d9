#pragma once

// Cutting a piece out of a page by fixed markers. Searches walk GBK characters (see text.h).

#include "text/text.h"

namespace tevrin {

/// The bytes between the first `startMarker` at or after `start` and the first `endMarker` after
/// it; empty when either is missing. "#引号" in a marker stands for a double quote.
Text TextBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker,
                 long long start = 1, bool ignoreCase = false);
/// The bytes before the first `marker` found from `start` (0 or less means 1); empty when missing.
Text TextBefore(std::string_view text, std::string_view marker, long long start = 1,
                bool ignoreCase = false);
/// The bytes after the last `marker` lying wholly before `limit` (omitted: the whole text);
/// empty when missing.
Text TextAfterLast(std::string_view text, std::string_view marker,
                   std::optional<long long> limit = std::nullopt, bool ignoreCase = false);

}  // namespace tevrin
