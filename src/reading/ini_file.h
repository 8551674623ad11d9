#pragma once

// Setting one value of an INI file the way the platform's profile strings do, for files that
// people also edit by hand: every line the change does not concern stays byte for byte.
//
// Layout: "[section]" header lines, then "key=value" lines; lines end in CR LF (LF alone is read
// too). Section and key names are matched ignoring ASCII letter case and the blanks and tabs
// around them. Lines are walked as GBK characters, so a "]" or "=" byte inside a double-byte
// character is never taken for markup. Lines starting with ";" or "#" are comments.

#include <string>
#include <string_view>

#include "text/text.h"

namespace tevrin {

/// `contents` with `key` of `section` set to `value`: the first line of that key in the first
/// such section is rewritten in place as "key=value"; a missing key is added after the last
/// non-blank line of its section; a missing section is added at the end. CR and LF bytes of
/// `value` are dropped so a value can never add lines. Lines written end in CR LF.
Bytes SetProfileString(std::string_view contents, std::string_view section, std::string_view key,
                       std::string_view value);

/// SetProfileString applied to the file at `path` (created when missing). The file is replaced
/// atomically through a temporary file in the same directory, so a reader sees either the old or
/// the new contents. False, with the file untouched, when it cannot be read or replaced. Callers
/// writing the same file from several threads serialise their calls.
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace tevrin
