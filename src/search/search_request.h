#pragma once

#include "app/reader.h"

namespace tevrin {

/// The click of 按钮_搜索: stores the search address and site, then starts SearchJob.
void OnSearchClicked(Reader& reader);

}  // namespace tevrin
