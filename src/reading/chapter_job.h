#pragma once

#include <cstdint>

#include "app/reader.h"

namespace tevrin {

/// The double-click of 超级列表框2: starts ChapterJob.
void OnChapterListDoubleClicked(Reader& reader);

/// Loads the chapter selected in 超级列表框2: turns to page 2, shows the chapter's title and
/// cleaned text, keeps its neighbours' addresses in ReaderState and writes the reading record.
/// An empty page shows the failure message and changes nothing else. Runs on a job thread;
/// takes a fresh ticket, superseding any chapter load still running.
void ChapterJob(Reader& reader);

/// The same, for the load holding `ticket` (from ReaderState::Begin(Kind::Chapter)). Once a
/// newer chapter load exists this one writes nothing: no title, text, address, record or message.
void ChapterJob(Reader& reader, std::uint64_t ticket);

}  // namespace tevrin
