#pragma once

// What the search, table-of-contents, chapter and navigation loads share: the page fetch, the
// failure message, superseded jobs' guarded writes, and taking a kind's write lock without
// stalling the window.

#include <cstdint>
#include <functional>
#include <mutex>

#include "app/reader.h"
#include "text/text.h"

namespace tevrin {

/// The page at `url` as GBK text by GET, `timeoutSeconds` per phase (0: the 30-second default);
/// empty when the request fails. Window events of the calling thread run while it waits.
Text FetchPage(Reader& reader, const Text& url, int timeoutSeconds = 0);

/// The message a load shows when it has nothing to show, with its title.
void ShowFailureMessage(Reader& reader);

/// Takes the write lock of `kind` on the window thread. A job holding it may be waiting for the
/// window thread in a toolkit call, so the window keeps handling its events until the lock is
/// free instead of blocking.
std::unique_lock<std::mutex> LockOnWindowThread(Reader& reader, ReaderState::Kind kind);

/// Runs `write` on a job thread only while `ticket` is the newest of its kind, under the kind's
/// write lock, so a superseded job cannot slip a write in after a newer one has started; false
/// once superseded.
bool WriteIfCurrent(Reader& reader, ReaderState::Kind kind, std::uint64_t ticket,
                    const std::function<void()>& write);

}  // namespace tevrin
