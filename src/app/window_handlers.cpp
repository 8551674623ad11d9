#include "app/window_handlers.h"

namespace tevrin {

void OnSiteChosen(Reader& reader) {
  reader.state.setSite(reader.toolkit.ReadChoice(Control::组合框1) == 1 ? 2 : 1);
}

void OnBackToContentsClicked(Reader& reader) {
  reader.toolkit.ShowPage(1);
}

void OnContinueReadingClicked(Reader& reader) {
  reader.toolkit.ShowPage(2);
}

}  // namespace tevrin
