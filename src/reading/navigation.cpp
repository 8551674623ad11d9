#include "reading/navigation.h"

namespace tevrin {

void OnPrevChapterClicked(Reader&) {}
void OnNextChapterClicked(Reader&) {}

}  // namespace tevrin
