#pragma once

#include <cstdint>

#include "app/reader.h"

namespace tevrin {

/// The double-click of 超级列表框1: empties 超级列表框2, then starts TableOfContentsJob.
void OnBookListDoubleClicked(Reader& reader);

/// Lists the chapters of the book selected in 超级列表框1 in 超级列表框2, one numbered row per
/// chapter link of its index page, after turning to page 1 and naming the book in 透明标签_文章.
/// Shows the failure message when no chapter is found. Runs on a job thread; takes a fresh
/// ticket, superseding any contents job still running.
void TableOfContentsJob(Reader& reader);

/// The same, for the job holding `ticket` (from ReaderState::Begin(Kind::TableOfContents)). Once
/// a newer ticket exists the job writes nothing more to the window: no label, no row, no message.
void TableOfContentsJob(Reader& reader, std::uint64_t ticket);

}  // namespace tevrin
