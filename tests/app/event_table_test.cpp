#include "app/event_table.h"

#include <gtest/gtest.h>

#include "app/headless_toolkit.h"
#include "app/reader_state.h"

namespace tevrin {
namespace {

// The handlers under test never reach the network; every request fails at once.
class OfflineHttp : public HttpService {
 public:
  bool CheckPlatform() override { return false; }
  bool CrackUrl(const Text&, UrlComponents&) override { return false; }
  HttpHandle Open(int, const Text&) override { return kNoHandle; }
  bool SetTimeouts(HttpHandle, int, int, int, int) override { return false; }
  HttpHandle Connect(HttpHandle, const Text&, int) override { return kNoHandle; }
  HttpHandle OpenRequest(HttpHandle, const Text&, const Text&, std::uint32_t) override {
    return kNoHandle;
  }
  bool SetCredentials(HttpHandle, int, int, const Text&, const Text&) override { return false; }
  bool SetOption(HttpHandle, int, std::uint32_t) override { return false; }
  bool AddRequestHeaders(HttpHandle, const Text&, std::uint32_t) override { return false; }
  bool SendRequest(HttpHandle, std::string_view, std::uint64_t) override { return false; }
  bool ReceiveResponse(HttpHandle) override { return false; }
  bool QueryDataAvailable(HttpHandle, std::size_t&) override { return false; }
  bool ReadData(HttpHandle, char*, std::size_t, std::size_t&) override { return false; }
  bool QueryHeaders(HttpHandle, int, char*, std::size_t&) override { return false; }
  void CloseHandle(HttpHandle) override {}
};

class EventTableTest : public ::testing::Test {
 protected:
  HeadlessToolkit window;
  ReaderState state;
  OfflineHttp http;
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
