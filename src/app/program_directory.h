#pragma once

#include <string>

namespace tevrin {

/// The directory of the running program file, without a trailing separator; empty when the
/// system does not tell.
std::string ProgramDirectory();

}  // namespace tevrin
