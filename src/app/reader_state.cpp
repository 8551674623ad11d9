#include "app/reader_state.h"

#include <utility>

namespace tevrin {

int ReaderState::site() const {
  std::lock_guard lock(mutex_);
  return site_;
}

void ReaderState::setSite(int site) {
  std::lock_guard lock(mutex_);
  site_ = site;
}

Text ReaderState::searchUrl() const {
  std::lock_guard lock(mutex_);
  return searchUrl_;
}

void ReaderState::setSearchUrl(Text url) {
  std::lock_guard lock(mutex_);
  searchUrl_ = std::move(url);
}

Text ReaderState::prevChapterUrl() const {
  std::lock_guard lock(mutex_);
  return prevChapterUrl_;
}

void ReaderState::setPrevChapterUrl(Text url) {
  std::lock_guard lock(mutex_);
  prevChapterUrl_ = std::move(url);
}

Text ReaderState::nextChapterUrl() const {
  std::lock_guard lock(mutex_);
  return nextChapterUrl_;
}

void ReaderState::setNextChapterUrl(Text url) {
  std::lock_guard lock(mutex_);
  nextChapterUrl_ = std::move(url);
}

std::uint64_t ReaderState::Begin(Kind kind) {
  std::lock_guard lock(mutex_);
  return ++tickets_[static_cast<int>(kind)];
}

bool ReaderState::IsCurrent(Kind kind, std::uint64_t ticket) const {
  std::lock_guard lock(mutex_);
  return tickets_[static_cast<int>(kind)] == ticket;
}

std::mutex& ReaderState::WindowWrites(Kind kind) { return windowWrites_[static_cast<int>(kind)]; }

}  // namespace tevrin
