#pragma once

#include "app/reader.h"
#include "text/text.h"

namespace tevrin {

/// The clicks of 按钮_上一章 and 按钮_下一章, run on the window thread. When the address to follow
/// equals the address of the book selected in 超级列表框1 they report the first or last chapter
/// and turn to page 1; otherwise they load that chapter with LoadChapterAt.
void OnPrevChapterClicked(Reader& reader);
void OnNextChapterClicked(Reader& reader);

/// Loads the chapter at `url` on the calling thread (the window thread, whose events run while
/// the page is fetched): shows its title and text and replaces both neighbours' addresses, even
/// when the fetch fails. Paragraphs are separated by one line break. No page switch, no reading
/// record. On site 2 the site-2 markers and cleaning apply, and an address without a scheme is
/// taken relative to the site-2 origin. Supersedes any chapter load still running.
void LoadChapterAt(Reader& reader, const Text& url);

/// `url` made absolute against `origin` when it has no scheme of its own; empty stays empty.
Text ResolveAgainstOrigin(const Text& url, const Text& origin);

}  // namespace tevrin
