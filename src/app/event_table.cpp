#include "app/event_table.h"

#include <array>
#include <span>

#include "app/window_handlers.h"
#include "reading/chapter_job.h"
#include "reading/navigation.h"
#include "reading/table_of_contents_job.h"
#include "search/search_request.h"

namespace tevrin {

namespace {

struct Binding {
  Control control;
  Event event;
  void (*handler)(Reader&);
};

std::span<const Binding> Bindings() {
  static constexpr std::array<Binding, 8> kBindings{{
      {Control::按钮_搜索, Event::Clicked, OnSearchClicked},
      {Control::组合框1, Event::ItemChosen, OnSiteChosen},
      {Control::超级列表框1, Event::DoubleClicked, OnBookListDoubleClicked},
      {Control::超级列表框2, Event::DoubleClicked, OnChapterListDoubleClicked},
      {Control::按钮_上一章, Event::Clicked, OnPrevChapterClicked},
      {Control::按钮_下一章, Event::Clicked, OnNextChapterClicked},
      {Control::按钮_上一章1, Event::Clicked, OnBackToContentsClicked},
      {Control::按钮1, Event::Clicked, OnContinueReadingClicked},
  }};
  return kBindings;
}

}  // namespace

void FireEvent(Reader& reader, Control control, Event event) {
  for (const Binding& binding : Bindings()) {
    if (binding.control == control && binding.event == event) {
      binding.handler(reader);
      return;
    }
  }
}

}  // namespace tevrin
