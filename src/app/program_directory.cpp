#include "app/program_directory.h"

#include <filesystem>
#include <system_error>

namespace tevrin {

std::string ProgramDirectory() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::string();
  return program.parent_path().string();
}

}  // namespace tevrin
