#include "reading/chapter_cleaning.h"

#include <algorithm>
#include <cstddef>

namespace tevrin {

namespace {

constexpr std::string_view kIndent = "     ";
constexpr unsigned char kFullWidthSpaceByte = 0xA1;

struct Rule {
  std::string_view what;  // ASCII, no blank, never overlapping itself or the other rule's text
  std::string_view with;
};

char FoldAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EndsWithIgnoringCase(const Text& text, std::string_view what) {
  return EqualsIgnoreCase(std::string_view(text).substr(text.size() - what.size()), what);
}

// The same result as prefixing `prefix` to the text without its blanks and then replacing every
// `first.what` and after that every `second.what` (any letter case, at character starts), but in
// one pass into one block. A page of several MiB otherwise goes through four blocks, each new
// memory faulted in page by page, and the one that grows is moved to a larger block halfway.
//
// That holds because the rules' texts are ASCII without blanks and cannot overlap one another:
// every occurrence in the blank-free text is found at its last byte, and `first.with` holds only
// blanks, so it can neither form nor break an occurrence of `second.what`. Replacement bytes are
// never searched again, as a replacing pass resumes after them.
Text CleanInOnePass(std::string_view text, std::string_view prefix, Rule first, Rule second) {
  const Rule rules[] = {first, second};
  // What the replacements can add at most, so the block never moves; pages reserved but never
  // written cost nothing.
  std::size_t growth = 0;
  for (const Rule& rule : rules) {
    if (rule.with.size() > rule.what.size()) {
      growth = std::max(
          growth, (text.size() / rule.what.size() + 1) * (rule.with.size() - rule.what.size()));
    }
  }
  Text cleaned;
  cleaned.reserve(prefix.size() + text.size() + growth);
  cleaned.append(prefix);

  // Single-byte characters of the text at the end of `cleaned`: an occurrence must lie wholly
  // among them, not start on the trail of a double-byte character nor inside a replacement.
  std::size_t run = 0;
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size;) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    if (c == ' ') {
      ++i;
      continue;
    }
    if (byte >= 0x80) {
      if (i + 1 == size) {
        // A lone lead byte at the very end is a character of its own.
        cleaned.push_back(c);
        break;
      }
      if (byte == kFullWidthSpaceByte && static_cast<unsigned char>(text[i + 1]) == byte) {
        i += 2;
        continue;
      }
      cleaned.append(text.data() + i, 2);
      i += 2;
      run = 0;
      continue;
    }
    cleaned.push_back(c);
    ++i;
    ++run;
    for (const Rule& rule : rules) {
      if (FoldAscii(c) != FoldAscii(rule.what.back()) || run < rule.what.size() ||
          !EndsWithIgnoringCase(cleaned, rule.what)) {
        continue;
      }
      cleaned.resize(cleaned.size() - rule.what.size());
      cleaned.append(rule.with);
      run = 0;
      break;
    }
  }
  return cleaned;
}

}  // namespace

Text CleanSite1Chapter(std::string_view text, std::string_view paragraphBreak) {
  return CleanInOnePass(text, kIndent, {"<p>", kIndent}, {"</p>", paragraphBreak});
}

Text CleanSite2Chapter(std::string_view text) {
  // Blanks go first, so "<br />" has become "<br/>" by the time line breaks are put in.
  return CleanInOnePass(text, "", {"&nbsp;", " "}, {"<br/>", kLineBreak});
}

}  // namespace tevrin
