#include "app/event_table.h"

#include <gtest/gtest.h>

#include "app/headless_toolkit.h"
#include "app/reader_state.h"

namespace tevrin {
namespace {

class EventTableTest : public ::testing::Test {
 protected:
  HeadlessToolkit window;
  ReaderState state;
  HttpService http;
  Reader reader{window, state, http, "https://one.test", "https://two.test"};
};

TEST_F(EventTableTest, SiteChoiceFollowsTheChosenIndex) {
  struct Case {
    int index;
    int site;
  };
  const Case cases[] = {{1, 2}, {0, 1}, {-1, 1}, {1, 2}};
  EXPECT_EQ(state.site(), 0) << "no site before any choice";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    window.SetChoice(c.index);
    FireEvent(reader, Control::组合框1, Event::ItemChosen);
    EXPECT_EQ(state.site(), c.site);
  }
}

TEST_F(EventTableTest, PageButtonsOnlySwitchPages) {
  window.InsertRow(Control::超级列表框2, Text("1"));
  state.setNextChapterUrl("/n");
  FireEvent(reader, Control::按钮_上一章1, Event::Clicked);
  EXPECT_EQ(window.Page(), 1);
  FireEvent(reader, Control::按钮1, Event::Clicked);
  EXPECT_EQ(window.Page(), 2);
  FireEvent(reader, Control::按钮_上一章1, Event::Clicked);
  EXPECT_EQ(window.Page(), 1);
  EXPECT_EQ(window.Rows(Control::超级列表框2), 1);
  EXPECT_EQ(state.nextChapterUrl(), "/n");
  EXPECT_EQ(state.site(), 0);
}

TEST_F(EventTableTest, UnboundPairsDoNothing) {
  struct Case {
    Control control;
    Event event;
  };
  const Case cases[] = {
      {Control::按钮1, Event::DoubleClicked},     {Control::组合框1, Event::Clicked},
      {Control::按钮_上一章1, Event::ItemChosen}, {Control::标签1, Event::Clicked},
      {Control::编辑框1, Event::DoubleClicked},   {Control::透明标签_文章, Event::Clicked},
  };
  window.ShowPage(2);
  for (const Case& c : cases) {
    FireEvent(reader, c.control, c.event);
  }
  EXPECT_EQ(window.Page(), 2);
  EXPECT_EQ(state.site(), 0);
  EXPECT_EQ(window.JobsStarted(), 0);
  EXPECT_TRUE(window.Messages().empty());
}

}  // namespace
}  // namespace tevrin
