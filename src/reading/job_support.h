#pragma once

// What the table-of-contents, chapter and navigation loads share: the page fetch, the failure
// message, and taking a kind's write lock without stalling the window.

#include <mutex>

#include "app/reader.h"
#include "text/text.h"

namespace tevrin {

/// The page at `url` as GBK text with the request's defaults (GET, 30-second time-outs); empty
/// when the request fails. Window events of the calling thread run while it waits.
Text FetchPage(Reader& reader, const Text& url);

/// The message a load shows when it has nothing to show, with its title.
void ShowFailureMessage(Reader& reader);

/// Takes the write lock of `kind` on the window thread. A job holding it may be waiting for the
/// window thread in a toolkit call, so the window keeps handling its events until the lock is
/// free instead of blocking.
std::unique_lock<std::mutex> LockOnWindowThread(Reader& reader, ReaderState::Kind kind);

}  // namespace tevrin
