#pragma once

// The handlers of the window that touch neither a list nor the network.

#include "app/reader.h"

namespace tevrin {

/// An item of 组合框1 chosen: site 2 for index 1, site 1 for any other index (also -1).
void OnSiteChosen(Reader& reader);
/// "返回目录": shows page 1.
void OnBackToContentsClicked(Reader& reader);
/// "继续阅读": shows page 2.
void OnContinueReadingClicked(Reader& reader);

}  // namespace tevrin
