#pragma once

// Turning the text of a chapter page into plain text for the edit box. Each site marks its
// paragraphs differently; both rules first drop every blank of the page text, so the blanks and
// line breaks they insert are the only ones left.

#include <string_view>

#include "text/text.h"

namespace tevrin {

/// CR LF, the line break of the edit box.
inline constexpr std::string_view kLineBreak = "\r\n";

/// Site 1: every ASCII and full-width blank removed, five blanks put in front, every "<p>" (any
/// letter case) replaced by five blanks and every "</p>" by `paragraphBreak`.
Text CleanSite1Chapter(std::string_view text, std::string_view paragraphBreak);

/// Site 2: every ASCII and full-width blank removed, then every "&nbsp;" replaced by one blank
/// and every "<br/>" by CR LF, both in any letter case.
Text CleanSite2Chapter(std::string_view text);

}  // namespace tevrin
