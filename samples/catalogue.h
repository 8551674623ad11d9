#pragma once

// The made-up novels both sample sites carry. Every book, name and sentence here was invented
// for the samples. Texts are GBK, like everything the program itself handles; chapters are
// generated from the book and chapter number, so a book of thousands of chapters costs nothing
// until a page of it is asked for.

#include <vector>

#include "text/text.h"

namespace tevrin {

/// One book as the sites list it.
struct SampleBook {
  int id = 0;
  Text name;
  Text author;
  /// "连载中" or "全本".
  Text status;
  /// The update date as the sites show it ("2024-03-07").
  Text updated;
  int chapterCount = 0;
};

/// Keywords with a known number of results (names are searched for the keyword as a GBK
/// substring, on both sites alike).
struct SampleKeywords {
  /// 3 books (ids 1 to 3, with 12, 1 and 3 chapters).
  Text few;
  /// 14 books (ids 11 to 24): site 2 lists them on pages of 10 and 4. One name ends in a digit.
  Text fourteen;
  /// 56 books (ids 101 to 156): more than the five pages of 10 the search job reads on site 2.
  Text many;
  /// No book.
  Text none;
  /// Only the long book.
  Text longBook;
};

/// Every book in catalogue order (the order the search pages list them in).
const std::vector<SampleBook>& SampleBooks();
/// The book with `id`; null when there is none.
const SampleBook* FindSampleBook(int id);
/// The books whose name holds `keyword` (GBK), in catalogue order; none for an empty keyword.
std::vector<const SampleBook*> SampleBooksNamed(std::string_view keyword);
/// The keywords described above.
const SampleKeywords& SampleSearchKeywords();
/// A book of 5,000 chapters for benchmarks, also listed in the catalogue.
const SampleBook& LongSampleBook();

/// The title of chapter `number` (1 to chapterCount), e.g. "第3章 长桥"; empty out of range.
Text SampleChapterTitle(const SampleBook& book, int number);
/// The paragraphs of chapter `number` as the pages carry them, before any markup: some begin
/// with full-width blanks, some hold ordinary blanks between sentences or between Latin words.
/// Empty out of range.
TextList SampleChapterParagraphs(const SampleBook& book, int number);

}  // namespace tevrin
