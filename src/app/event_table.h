#pragma once

// The one table binding (control, event) to the reader's handlers. The Qt window connects its
// signals to it and the headless window fires it, so a test of a click runs the real handler.

#include "app/control.h"
#include "app/reader.h"

namespace tevrin {

/// Runs the handler bound to `event` on `control`; does nothing for an unbound pair.
void FireEvent(Reader& reader, Control control, Event event);

}  // namespace tevrin
