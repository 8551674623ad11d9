#include "reading/table_of_contents_job.h"

namespace tevrin {

void OnBookListDoubleClicked(Reader&) {}

}  // namespace tevrin
