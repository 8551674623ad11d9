#include "app/reader.h"

namespace tevrin {

Text BuiltInSite1Origin() { return TEVRIN_SITE1_ORIGIN; }
Text BuiltInSite2Origin() { return TEVRIN_SITE2_ORIGIN; }

}  // namespace tevrin
