#pragma once

#include <functional>

namespace tevrin {

/// How the calling thread's pending window events are processed at WebAccess's fixed points;
/// an empty function means there is nothing to process.
using ProcessEventsFn = std::function<void()>;

}  // namespace tevrin
