#pragma once

#include "app/reader.h"

namespace tevrin {

/// The clicks of 按钮_上一章 and 按钮_下一章, run on the window thread.
void OnPrevChapterClicked(Reader& reader);
void OnNextChapterClicked(Reader& reader);

}  // namespace tevrin
