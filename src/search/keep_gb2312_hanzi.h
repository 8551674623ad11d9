#pragma once

#include <string_view>

#include "text/text.h"

namespace tevrin {

/// Only the GB2312 hanzi of `text` (lead byte B0..F7, trail byte A1..FE), in their order; every
/// other byte and every other double-byte character is dropped. A lone trailing byte is never
/// taken as the start of a pair.
Text KeepGb2312Hanzi(std::string_view text);

}  // namespace tevrin
