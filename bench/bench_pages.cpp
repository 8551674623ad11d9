#include "bench_pages.h"

#include <vector>

#include "samples/catalogue.h"
#include "samples/sample_pages.h"
#include "text/code_page.h"
#include "text/markers.h"

namespace tevrin {
namespace {

constexpr std::string_view kSite1Origin = "https://www.biquge.example";
constexpr std::string_view kSite2Origin = "https://www.dingdian.example";

// The pieces of `text` that begin with `opening`, up to the next one or to `end`.
std::vector<Text> Pieces(const Text& text, std::string_view opening) {
  std::vector<Text> pieces;
  std::size_t at = text.find(opening);
  while (at != Text::npos) {
    const std::size_t next = text.find(opening, at + opening.size());
    pieces.push_back(text.substr(at, next == Text::npos ? Text::npos : next - at));
    at = next;
  }
  return pieces;
}

Text Cycle(const std::vector<Text>& items, int count) {
  Text joined;
  for (int i = 0; i < count && !items.empty(); ++i) joined += items[i % items.size()];
  return joined;
}

// Repeats `piece(n)` for n = 1, 2, ... until `bytes` are reached, then cuts at the last character
// boundary within them (a lone lead byte is never left at the end).
template <typename Piece>
Text Fill(std::size_t bytes, Piece piece) {
  Text text;
  text.reserve(bytes + 4096);
  for (int n = 1; text.size() < bytes; ++n) text += piece(n);
  std::size_t cut = 0;
  while (cut < bytes) {
    const std::size_t step = static_cast<unsigned char>(text[cut]) >= 0x80 ? 2 : 1;
    if (cut + step > bytes) break;
    cut += step;
  }
  text.resize(cut);
  // Pad a cut-off double-byte character with an ASCII byte so the size is exact.
  text.append(bytes - cut, 'x');
  return text;
}

int ChapterOf(int n) {
  return (n - 1) % LongSampleBook().chapterCount + 1;
}

}  // namespace

const Text& ContentsIndexPage() {
  static const Text page = [] {
    static const Text kListStart = Gbk(u8"》无弹窗广告");
    const Text decoded = CharsetToGbk(Site2FullIndexPage(LongSampleBook()), "utf-8").value_or("");
    const Text list = TextAfterLast(decoded, kListStart);
    return ReplaceAll(list, "href=\"/book/", "href=\"" + Text(kSite2Origin) + "/book/");
  }();
  return page;
}

Text Site1ResultsPage(int results) {
  const Text page = Site1SearchPage(kSite1Origin, SampleSearchKeywords().many);
  const std::size_t first = page.find("<tr id=\"nr\">");
  const std::size_t end = page.rfind("</table>");
  std::vector<Text> rows = Pieces(page.substr(first, end - first), "<tr id=\"nr\">");
  return page.substr(0, first) + Cycle(rows, results) + page.substr(end);
}

Text Site2ResultsPage(int results) {
  static const std::string_view kItem = "<div class=\"result-item\">";
  static const std::string_view kListEnd = "</div>\n<div class=\"pages\">";
  std::vector<Text> items;
  Text first;
  for (int page = 1;; ++page) {
    const Text text =
        CharsetToGbk(Site2SearchPage(SampleSearchKeywords().many, page), "utf-8").value_or("");
    if (page == 1) first = text;
    const std::size_t from = text.find(kItem);
    if (from == Text::npos) break;
    const std::size_t to = text.find(kListEnd, from);
    for (Text& item : Pieces(text.substr(from, to - from), kItem)) items.push_back(item);
  }
  const std::size_t from = first.find(kItem);
  const std::size_t to = first.find(kListEnd, from);
  return first.substr(0, from) + Cycle(items, results) + first.substr(to);
}

Text Site1ChapterText(std::size_t bytes) {
  const SampleBook& book = LongSampleBook();
  return Fill(bytes, [&book](int n) { return Site1ChapterContent(book, ChapterOf(n)) + "<p>"; });
}

Text Site2ChapterText(std::size_t bytes) {
  const SampleBook& book = LongSampleBook();
  return Fill(
      bytes, [&book](int n) { return Site2ChapterContent(book, ChapterOf(n)) + "<br/>\n<br/>\n"; });
}

Text Site1ChapterPageOfSize(std::size_t bytes) {
  const SampleBook& book = LongSampleBook();
  const Text page = Site1ChapterPage(kSite1Origin, book, 1);
  const Text content = Site1ChapterContent(book, 1);
  const std::size_t at = page.find(content);
  return page.substr(0, at) + Site1ChapterText(bytes) + page.substr(at + content.size());
}

Bytes Site2ChapterPageOfSize(std::string_view origin, std::size_t bytes) {
  const SampleBook& book = LongSampleBook();
  const Text page = CharsetToGbk(Site2ChapterPage(origin, book, 1), "utf-8").value_or("");
  const Text content = Site2ChapterContent(book, 1);
  const std::size_t at = page.find(content);
  return GbkToUtf8(page.substr(0, at) + Site2ChapterText(bytes) + page.substr(at + content.size()));
}

}  // namespace tevrin
