#include "support/scratch_directory.h"

#include <stdlib.h>

#include <filesystem>
#include <system_error>

namespace tevrin {

ScratchDirectory::ScratchDirectory() {
  char pattern[] = "/tmp/tevrin-test-XXXXXX";
  if (::mkdtemp(pattern) != nullptr) path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

}  // namespace tevrin
