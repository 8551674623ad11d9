#include "reading/chapter_job.h"

namespace tevrin {

void OnChapterListDoubleClicked(Reader&) {}

}  // namespace tevrin
