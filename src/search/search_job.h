#pragma once

#include <cstdint>

#include "app/reader.h"

namespace tevrin {

/// Fetches the result pages of `site` (1: site 1, one page; anything else: site 2, pages 1 to 5)
/// from ReaderState.searchUrl and writes one row per book into 超级列表框1, with 按钮_搜索 busy
/// meanwhile. Runs on a job thread. Takes a fresh search ticket, superseding any running search.
void SearchJob(Reader& reader, int site);

/// The same, for the search that holds `ticket` (from ReaderState::Begin(Kind::Search)). Once a
/// newer ticket exists the job stops at its next step and writes nothing more to the window: no
/// row, no failure message, and it leaves 按钮_搜索 to the newer search.
void SearchJob(Reader& reader, int site, std::uint64_t ticket);

}  // namespace tevrin
