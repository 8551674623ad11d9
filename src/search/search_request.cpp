#include "search/search_request.h"

namespace tevrin {

void OnSearchClicked(Reader&) {}

}  // namespace tevrin
