#pragma once

#include <string>

namespace tevrin {

/// A fresh directory under /tmp for one test, removed with everything in it at the end, so
/// tests running at the same time never share a file.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace tevrin
