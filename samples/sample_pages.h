#pragma once

// The pages of the two sample sites, rendered from the catalogue and one template per page kind.
// Site 1 pages are GBK and declare gbk; site 2 pages are UTF-8 and declare utf-8. Site 1 writes
// absolute addresses; site 2 writes book and chapter addresses relative to its origin but links
// its full index absolutely and puts its origin text in front of its chapter navigation. Pages
// holding the origin take it as an argument.

#include <string>
#include <string_view>

#include "samples/catalogue.h"
#include "text/text.h"

namespace tevrin {

/// Results shown on one site-2 search page.
inline constexpr int kSite2ResultsPerPage = 10;

/// "/book/ID/", the book's address below either origin.
std::string SampleBookPath(int bookId);
/// "/book/ID/N.html", the address of chapter `number` below either origin.
std::string SampleChapterPath(int bookId, int number);
/// "/book/ID/all.html", the site-2 full chapter index.
std::string Site2FullIndexPath(int bookId);

/// The site-1 result table for the books named with `keyword` (GBK): one row per book, all on
/// one page; a page without rows when there is none.
Bytes Site1SearchPage(std::string_view origin, std::string_view keyword);
/// The site-1 book page: every chapter as `<dd>` link with its absolute address.
Bytes Site1BookPage(std::string_view origin, const SampleBook& book);
/// A site-1 chapter page; its previous link on the first chapter and its next link on the last
/// are the book's address.
Bytes Site1ChapterPage(std::string_view origin, const SampleBook& book, int number);
/// What a site-1 chapter page holds between `<div id="content"><p>` and `</div>` (GBK).
Text Site1ChapterContent(const SampleBook& book, int number);

/// Site-2 search results page `page` (from 1) for `keyword` (GBK); a page past the results
/// holds no result.
Bytes Site2SearchPage(std::string_view keyword, int page);
/// The site-2 book page, linking to the full index by its absolute address.
Bytes Site2BookPage(std::string_view origin, const SampleBook& book);
/// The site-2 full index: a teaser of the latest chapters, then, after the last "》无弹窗广告",
/// every chapter with its relative address.
Bytes Site2FullIndexPage(const SampleBook& book);
/// A site-2 chapter page; its previous link on the first chapter and its next link on the last
/// are the book's relative address.
Bytes Site2ChapterPage(std::string_view origin, const SampleBook& book, int number);
/// What a site-2 chapter page holds between `<div id="BookText">` and `</div>`, as GBK.
Text Site2ChapterContent(const SampleBook& book, int number);

}  // namespace tevrin
