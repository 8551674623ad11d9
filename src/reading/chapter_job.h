#pragma once

#include "app/reader.h"

namespace tevrin {

/// The double-click of 超级列表框2: starts ChapterJob.
void OnChapterListDoubleClicked(Reader& reader);

}  // namespace tevrin
