#include "reading/chapter_cleaning.h"

namespace tevrin {

namespace {

constexpr std::string_view kIndent = "     ";

}  // namespace

Text CleanSite1Chapter(std::string_view text, std::string_view paragraphBreak) {
  Text cleaned = Text(kIndent) + RemoveAllSpaces(text);
  cleaned = ReplaceAllIgnoreCase(cleaned, "<p>", kIndent);
  return ReplaceAllIgnoreCase(cleaned, "</p>", paragraphBreak);
}

Text CleanSite2Chapter(std::string_view text) {
  // Blanks go first, so "<br />" has become "<br/>" by the time line breaks are put in.
  Text cleaned = ReplaceAllIgnoreCase(RemoveAllSpaces(text), "&nbsp;", " ");
  return ReplaceAllIgnoreCase(cleaned, "<br/>", kLineBreak);
}

}  // namespace tevrin
