#pragma once

// The pieces of one chapter page, cut out by the fixed markers of its site and cleaned, ready to
// be put on show in one go.

#include <string_view>

#include "text/text.h"

namespace tevrin {

struct ChapterPage {
  /// Exactly as found between "<h1>" and "</h1>"; empty when missing.
  Text title;
  /// The cleaned chapter text.
  Text text;
  /// The neighbours' addresses exactly as found on the page; empty when missing.
  Text prevChapterUrl;
  Text nextChapterUrl;
};

/// Takes `page` apart by the markers of `site` (1: site 1; any other code: site 2, whose two
/// address markers begin with `site2Origin`). On site 1 every "</p>" becomes `paragraphBreak`.
/// Missing markers give empty pieces; the site-1 text then holds the indent alone.
ChapterPage ReadChapterPage(std::string_view page, int site, std::string_view site2Origin,
                            std::string_view paragraphBreak);

}  // namespace tevrin
