#include "app/event_table.h"

namespace tevrin {

void FireEvent(Reader&, Control, Event) {}

}  // namespace tevrin
