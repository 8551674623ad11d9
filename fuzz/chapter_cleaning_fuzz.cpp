// Both chapter cleanings over random page text, and over chapter text built from known pieces.
//
// Input: options, then bytes. Option bit 0 reads the bytes as a recipe (see BuildChapter);
// bits 1..2 pick the site-1 paragraph break.
//
// Invariants, any text:
// - site 1: the result starts with the five-blank indent, holds no "<p>" or "</p>" (any letter
//   case) at a character start, no full-width blank, and its blanks come in runs of whole
//   five-blank indents;
// - site 2: no "&nbsp;" or "<br/>" (any letter case) and no full-width blank is left, and there
//   is one blank per "&nbsp;" of the text once its blanks are gone.
// For a chapter built from words, blanks (ASCII and full-width) and the four tags in any letter
// case with blanks anywhere inside them, each cleaning gives exactly the pieces' own results:
// blanks vanish, the site's own tags become indents, paragraph breaks, blanks and line breaks,
// everything else stays as written.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "reading/chapter_cleaning.h"

namespace tevrin::fuzz {
namespace {

constexpr std::string_view kIndent = "     ";

struct Chapter {
  Text text;
  Text site1;  // expected cleaning, without the leading indent
  Text site2;
};

class Recipe {
 public:
  explicit Recipe(std::string_view bytes) : bytes_(bytes) {}
  bool More() const { return at_ < bytes_.size(); }
  unsigned char Next() { return More() ? static_cast<unsigned char>(bytes_[at_++]) : 0; }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

// A tag in random letter case, with ASCII or full-width blanks wherever the recipe says.
Text ShapeTag(std::string_view tag, Recipe& recipe, Text& asWritten) {
  Text text;
  for (const char c : tag) {
    const unsigned char shape = recipe.Next();
    const bool letter = (c >= 'a' && c <= 'z');
    const char written = letter && (shape & 1u) != 0 ? static_cast<char>(c - 'a' + 'A') : c;
    text += written;
    asWritten += written;
    if ((shape & 6u) == 2u) text += ' ';
    if ((shape & 6u) == 4u) text += "\xA1\xA1";
  }
  return text;
}

Chapter BuildChapter(std::string_view bytes, std::string_view paragraphBreak) {
  // Words never hold "<", ">", "&", ";", "/" or a blank, so no tag can form across pieces.
  static constexpr std::string_view kWordBytes = "abcpnsrPBSZ019,.!?:'\"=-_()\t\r\n";
  Chapter chapter;
  Recipe recipe(bytes);
  while (recipe.More()) {
    const unsigned char kind = recipe.Next();
    Text written;
    switch (kind & 7u) {
      case 0: {
        const char c = kWordBytes[recipe.Next() % kWordBytes.size()];
        chapter.text += c;
        chapter.site1 += c;
        chapter.site2 += c;
        break;
      }
      case 1: {
        const auto lead = static_cast<char>(0x81 + recipe.Next() % 0x7E);
        unsigned char trail = static_cast<unsigned char>(0x40 + recipe.Next() % 0xBF);
        if (trail == 0x7F) trail = 0x80;
        const Text character{lead, static_cast<char>(trail)};
        chapter.text += character;
        if (character != "\xA1\xA1") {
          chapter.site1 += character;
          chapter.site2 += character;
        }
        break;
      }
      case 2:
        chapter.text += ' ';
        break;
      case 3:
        chapter.text += "\xA1\xA1";
        break;
      case 4:
        chapter.text += ShapeTag("<p>", recipe, written);
        chapter.site1 += kIndent;
        chapter.site2 += written;
        break;
      case 5:
        chapter.text += ShapeTag("</p>", recipe, written);
        chapter.site1 += paragraphBreak;
        chapter.site2 += written;
        break;
      case 6:
        chapter.text += ShapeTag("&nbsp;", recipe, written);
        chapter.site1 += written;
        chapter.site2 += ' ';
        break;
      default:
        chapter.text += ShapeTag("<br/>", recipe, written);
        chapter.site1 += written;
        chapter.site2 += kLineBreak;
        break;
    }
  }
  return chapter;
}

// Blank characters (at character starts) of `text`, as the lengths of their runs.
bool BlankRunsAreIndents(std::string_view text) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (text[i] == ' ') {
      ++run;
      continue;
    }
    if (run % kIndent.size() != 0) return false;
    run = 0;
  }
  return run % kIndent.size() == 0;
}

std::size_t BlankCharacters(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) count += text[i] == ' ';
  return count;
}

bool HasFullWidthBlank(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (SpaceLengthAt(text, i) == 2) return true;
  }
  return false;
}

void CheckSite1(const Text& text, std::string_view paragraphBreak) {
  const Text cleaned = CleanSite1Chapter(text, paragraphBreak);
  FUZZ_CHECK(cleaned.starts_with(kIndent));
  FUZZ_CHECK(ReferenceFind(cleaned, "<p>", 1, true) == -1);
  FUZZ_CHECK(ReferenceFind(cleaned, "</p>", 1, true) == -1);
  FUZZ_CHECK(!HasFullWidthBlank(cleaned));
  FUZZ_CHECK(BlankRunsAreIndents(cleaned));
}

void CheckSite2(const Text& text) {
  const Text cleaned = CleanSite2Chapter(text);
  FUZZ_CHECK(ReferenceFind(cleaned, "&nbsp;", 1, true) == -1);
  FUZZ_CHECK(ReferenceFind(cleaned, "<br/>", 1, true) == -1);
  FUZZ_CHECK(!HasFullWidthBlank(cleaned));
  FUZZ_CHECK(BlankCharacters(cleaned) == CountOccurrences(RemoveAllSpaces(text), "&nbsp;", true));
}

}  // namespace
}  // namespace tevrin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tevrin::fuzz;
  // Never empty: taking "</p>" out without a replacement could join "<" and "p>" into a new "<p>".
  static constexpr std::string_view kParagraphBreaks[] = {"\r\n\r\n", "\r\n", "\n", "\n\n"};
  const Input input = ReadInput(data, size, 1);
  const std::string_view paragraphBreak = kParagraphBreaks[(input.options >> 1) & 3u];
  if (input.Option(0)) {
    const Chapter chapter = BuildChapter(input.fields[0], paragraphBreak);
    FUZZ_CHECK(tevrin::CleanSite1Chapter(chapter.text, paragraphBreak) ==
               tevrin::Text(kIndent) + chapter.site1);
    FUZZ_CHECK(tevrin::CleanSite2Chapter(chapter.text) == chapter.site2);
    CheckSite1(chapter.text, paragraphBreak);
    CheckSite2(chapter.text);
  } else {
    CheckSite1(input.fields[0], paragraphBreak);
    CheckSite2(input.fields[0]);
  }
  return 0;
}
