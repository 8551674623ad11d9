#pragma once

#include "app/reader.h"

namespace tevrin {

/// The double-click of 超级列表框1: empties 超级列表框2, then starts TableOfContentsJob.
void OnBookListDoubleClicked(Reader& reader);

}  // namespace tevrin
