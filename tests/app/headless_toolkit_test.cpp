#include "app/headless_toolkit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "text/code_page.h"

namespace tevrin {
namespace {

TEST(HeadlessToolkitTest, StartsLikeTheWindow) {
  HeadlessToolkit window;
  EXPECT_EQ(window.Page(), 0);
  EXPECT_EQ(window.ReadChoice(Control::组合框1), 0);
  EXPECT_EQ(window.Label(Control::组合框1), Gbk(u8"笔趣阁"));
  EXPECT_EQ(window.Caption(Control::按钮_搜索), Gbk(u8"搜索资源"));
  EXPECT_TRUE(window.IsEnabled(Control::按钮_搜索));
  EXPECT_EQ(window.Label(Control::透明标签2),
            Gbk(u8"搜索结果：只显示前50条，请输入更详细的搜索条件，可缩写搜索范围"));
  EXPECT_EQ(window.ReadText(Control::编辑框_书名), "");
  EXPECT_EQ(window.Columns(Control::超级列表框1), 6);
  EXPECT_EQ(window.Columns(Control::超级列表框2), 3);
  EXPECT_EQ(window.Rows(Control::超级列表框1), 0);
  EXPECT_EQ(window.SelectedRow(Control::超级列表框2), -1);
}

TEST(HeadlessToolkitTest, ShowPageClampsToTheThreePages) {
  struct Case {
    int asked;
    int shown;
  };
  const Case cases[] = {{-5, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 2}, {100, 2}};
  HeadlessToolkit window;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.asked);
    window.ShowPage(c.asked);
    EXPECT_EQ(window.Page(), c.shown);
  }
}

TEST(HeadlessToolkitTest, RowsAndCellsOutsideTheListAreEmptyAndNotWritten) {
  HeadlessToolkit window;
  const Control list = Control::超级列表框2;
  EXPECT_EQ(window.InsertRow(list, Text("1")), 0);
  EXPECT_EQ(window.InsertRow(list, std::nullopt), 1);
  window.SetCell(list, 0, 2, "/b/1.html");
  window.SetCell(list, 1, 1, "two");
  window.SetCell(list, 2, 0, "no such row");
  window.SetCell(list, 0, 3, "no such column");
  window.SetCell(list, -1, 0, "negative row");
  EXPECT_EQ(window.Rows(list), 2);
  EXPECT_EQ(window.Table(list),
            (std::vector<std::vector<Text>>{{"1", "", "/b/1.html"}, {"", "two", ""}}));
  EXPECT_EQ(window.ReadCell(list, 2, 0), "");
  EXPECT_EQ(window.ReadCell(list, 0, 3), "");
  EXPECT_EQ(window.ReadCell(list, 0, -1), "");
  EXPECT_EQ(window.Rows(Control::超级列表框1), 0) << "the other list is untouched";

  window.SelectRow(list, 1);
  EXPECT_EQ(window.SelectedRow(list), 1);
  window.SelectRow(list, 7);
  EXPECT_EQ(window.SelectedRow(list), -1);
  window.SelectRow(list, 0);
  window.DeleteAllRows(list);
  EXPECT_EQ(window.Rows(list), 0);
  EXPECT_EQ(window.SelectedRow(list), -1);
  EXPECT_EQ(window.Columns(list), 3);
  EXPECT_EQ(window.InsertRow(list, Text("again")), 0);
}

TEST(HeadlessToolkitTest, MessageBoxRecordsDefaultTitleAndRunsHookWhileOpen) {
  HeadlessToolkit window;
  std::vector<std::size_t> seenWhileOpen;
  window.SetMessageHook([&](const HeadlessToolkit::Message& message) {
    // The window must stay usable while the box is open.
    window.SetCaption(Control::按钮_搜索, message.text);
    seenWhileOpen.push_back(window.Messages().size());
  });
  window.MessageBox("first", std::nullopt);
  window.MessageBox("second", Text("T"));
  const auto messages = window.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].title, Gbk(u8"信息："));
  EXPECT_EQ(messages[1].text, "second");
  EXPECT_EQ(messages[1].title, "T");
  EXPECT_EQ(seenWhileOpen, (std::vector<std::size_t>{1, 2}));
  EXPECT_EQ(window.Caption(Control::按钮_搜索), "second");
}

TEST(HeadlessToolkitTest, WaitForJobsAlsoWaitsForJobsStartedByJobs) {
  HeadlessToolkit window;
  std::atomic<int> sum = 0;
  window.StartJob(
      [&](int argument) {
        sum += argument;
        window.StartJob([&](int inner) { sum += inner; }, 10);
      },
      5);
  window.StartJob([&](int argument) { sum += argument; }, 0);
  window.WaitForJobs();
  EXPECT_EQ(sum.load(), 15);
  EXPECT_EQ(window.JobsStarted(), 3);
}

// Several jobs append rows and write and read their own cells while the test thread reads the
// lists; every row must come out whole and in place (run under ThreadSanitizer in CI).
TEST(HeadlessToolkitTest, JobsWriteAndReadRowsConcurrently) {
  HeadlessToolkit window;
  constexpr int kJobs = 4;
  constexpr int kRowsPerJob = 300;
  std::atomic<int> mismatches = 0;
  for (int job = 0; job < kJobs; ++job) {
    window.StartJob(
        [&](int id) {
          for (int i = 0; i < kRowsPerJob; ++i) {
            const Text key = std::to_string(id) + ":" + std::to_string(i);
            const int row = window.InsertRow(Control::超级列表框2, key);
            window.SetCell(Control::超级列表框2, row, 1, key + "/title");
            window.SetCell(Control::超级列表框2, row, 2, key + "/link");
            if (window.ReadCell(Control::超级列表框2, row, 0) != key ||
                window.ReadCell(Control::超级列表框2, row, 2) != key + "/link") {
              ++mismatches;
            }
            window.SetLabel(Control::透明标签_文章, key);
          }
        },
        job);
  }
  while (window.Rows(Control::超级列表框2) < kJobs * kRowsPerJob) {
    window.ReadCell(Control::超级列表框2, window.Rows(Control::超级列表框2) - 1, 1);
    window.Label(Control::透明标签_文章);
    std::this_thread::yield();
  }
  window.WaitForJobs();
  EXPECT_EQ(mismatches.load(), 0);
  for (const auto& row : window.Table(Control::超级列表框2)) {
    ASSERT_EQ(row[1], row[0] + "/title");
    ASSERT_EQ(row[2], row[0] + "/link");
  }
}

}  // namespace
}  // namespace tevrin
