#pragma once

// The one context every handler and job takes: the window, the shared state, the two site
// origins and the HTTP service. main() builds it with the built-in origins; tests and tools
// build it with their own.

#include "app/reader_state.h"
#include "app/toolkit.h"
#include "text/text.h"
#include "web/http_service.h"

namespace tevrin {

/// The origins compiled into the program (https, no trailing slash), as GBK.
Text BuiltInSite1Origin();
Text BuiltInSite2Origin();

struct Reader {
  Toolkit& toolkit;
  ReaderState& state;
  HttpService& http;
  Text site1Origin;
  Text site2Origin;
};

}  // namespace tevrin
