#pragma once

// Made-up pages of the sizes the benchmarks need, composed from the sample sites' pages so the
// markup is the markup the jobs read. Every text is GBK.

#include <cstddef>

#include "text/text.h"

namespace tevrin {

/// The chapter list of the site-2 full index of the 5,000-chapter sample book (the part after
/// its last "》无弹窗广告", where the contents job runs its pattern), with absolute chapter
/// addresses (about 530 KB).
const Text& ContentsIndexPage();

/// A site-1 search page listing `results` books (the sample rows over and over).
Text Site1ResultsPage(int results);
/// A site-2 search page listing `results` books, decoded to GBK.
Text Site2ResultsPage(int results);

/// Chapter text of exactly `bytes` bytes as each site's page carries it between its text
/// markers: sample paragraphs in the site's markup, repeated, cut at a character boundary.
Text Site1ChapterText(std::size_t bytes);
Text Site2ChapterText(std::size_t bytes);

/// A site-1 chapter page whose text holds exactly `bytes` bytes.
Text Site1ChapterPageOfSize(std::size_t bytes);
/// A site-2 chapter page, UTF-8 as the site serves it, whose text holds `bytes` bytes of GBK.
Bytes Site2ChapterPageOfSize(std::string_view origin, std::size_t bytes);

}  // namespace tevrin
