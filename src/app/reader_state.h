#pragma once

// The program-wide values the handlers and jobs share. Every field is read and replaced by value
// under one mutex, so no reader ever sees a text another thread is replacing; no lock is held
// beyond a single read or write.

#include <cstdint>
#include <mutex>

#include "text/text.h"

namespace tevrin {

class ReaderState {
 public:
  /// 0 until a site is chosen, then 1 (笔趣阁) or 2 (顶点网).
  int site() const;
  void setSite(int site);
  Text searchUrl() const;
  void setSearchUrl(Text url);
  Text prevChapterUrl() const;
  void setPrevChapterUrl(Text url);
  Text nextChapterUrl() const;
  void setNextChapterUrl(Text url);

  /// Tickets that let a newer job of a kind supersede an older one: Begin gives the newest
  /// ticket, IsCurrent tells whether a ticket is still the newest of its kind.
  enum class Kind { Search, TableOfContents, Chapter };
  std::uint64_t Begin(Kind kind);
  bool IsCurrent(Kind kind, std::uint64_t ticket) const;
  /// Serialises one job's "still current? then write" step against other jobs of the same kind,
  /// so a superseded job can never slip a write in after a newer one has started writing. Job
  /// threads may hold it across toolkit calls; the window thread must only try_lock it (while
  /// processing events), never block on it, and nobody holds it across a web request or a
  /// message box.
  std::mutex& WindowWrites(Kind kind);

 private:
  mutable std::mutex mutex_;
  int site_ = 0;
  Text searchUrl_;
  Text prevChapterUrl_;
  Text nextChapterUrl_;
  std::uint64_t tickets_[3] = {0, 0, 0};
  std::mutex windowWrites_[3];
};

}  // namespace tevrin
