#include "app/qt_toolkit.h"

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/control.h"
#include "app/event_table.h"
#include "app/reader.h"
#include "app/reader_state.h"
#include "qt_test_app.h"
#include "text/code_page.h"
#include "web/curl_http_service.h"

namespace tevrin {
namespace {

class QtToolkitTest : public ::testing::Test {
 protected:
  QtToolkitTest()
      : window([this](Control control, Event event) {
          if (reader) FireEvent(*reader, control, event);
        }),
        toolkit(window) {
    reader.emplace(Reader{toolkit, state, http, "https://one.test", "https://two.test"});
    window.Open();
  }

  // Message boxes delete themselves once the event loop comes round again; let it.
  ~QtToolkitTest() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  // Runs `job` on a thread of its own while this (the window) thread keeps handling events.
  void RunOnJobThreads(int threads, const std::function<void(int)>& job) {
    std::atomic<int> finished = 0;
    std::vector<std::thread> running;
    for (int i = 0; i < threads; ++i) {
      running.emplace_back([&, i] {
        job(i);
        ++finished;
      });
    }
    // Not QTest::qWaitFor: it sleeps between rounds, and every job call would wait for that.
    QTimer wake;
    wake.start(20);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (finished != threads && std::chrono::steady_clock::now() < deadline) {
      QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    EXPECT_EQ(finished.load(), threads) << "jobs still running after 30 s";
    for (std::thread& thread : running) thread.join();
  }

  // The message boxes now open, newest last.
  static std::vector<QMessageBox*> OpenBoxes() {
    std::vector<QMessageBox*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible()) {
        boxes.push_back(box);
      }
    }
    return boxes;
  }

  QtTestApp app;
  ReaderState state;
  CurlHttpService http;
  std::optional<Reader> reader;
  QtMainWindow window;
  QtToolkit toolkit;
};

TEST_F(QtToolkitTest, TextsCrossAsGbkAndReadBackByteForByte) {
  const Text chapter = Gbk(u8"　　天色将晚，山路上行人渐稀。\r\n　　他停下脚步。");
  toolkit.SetText(Control::编辑框1, chapter);
  EXPECT_EQ(toolkit.ReadText(Control::编辑框1), chapter);
  toolkit.SetText(Control::编辑框_书名, Gbk(u8"山海行记"));
  EXPECT_EQ(toolkit.ReadText(Control::编辑框_书名), Gbk(u8"山海行记"));
  toolkit.SetLabel(Control::透明标签_文章, Gbk(u8"山海行记"));
  EXPECT_EQ(qobject_cast<QtTransparentLabel*>(window.Widget(Control::透明标签_文章))->text(),
            QString::fromUtf8(u8"山海行记"));

  toolkit.SetCaption(Control::按钮_搜索, Gbk(u8"正在搜索中。。。"));
  toolkit.Enable(Control::按钮_搜索, false);
  auto* search = qobject_cast<QPushButton*>(window.Widget(Control::按钮_搜索));
  EXPECT_EQ(search->text(), QString::fromUtf8(u8"正在搜索中。。。"));
  EXPECT_FALSE(search->isEnabled());

  const Control list = Control::超级列表框1;
  EXPECT_EQ(toolkit.InsertRow(list, Gbk(u8"山海行记")), 0);
  EXPECT_EQ(toolkit.InsertRow(list, std::nullopt), 1);
  toolkit.SetCell(list, 0, 5, "/book/7/");
  toolkit.SetCell(list, 5, 0, "no such row");
  EXPECT_EQ(toolkit.ReadCell(list, 0, 0), Gbk(u8"山海行记"));
  EXPECT_EQ(toolkit.ReadCell(list, 0, 5), "/book/7/");
  EXPECT_EQ(toolkit.ReadCell(list, 1, 0), "");
  EXPECT_EQ(toolkit.ReadCell(list, 5, 0), "");
  EXPECT_EQ(toolkit.ReadCell(list, 0, 6), "");
  EXPECT_EQ(toolkit.SelectedRow(list), -1);
  window.List(list)->selectRow(1);
  EXPECT_EQ(toolkit.SelectedRow(list), 1);
  toolkit.DeleteAllRows(list);
  EXPECT_EQ(toolkit.ReadCell(list, 0, 0), "");
  EXPECT_EQ(toolkit.SelectedRow(list), -1);
  EXPECT_EQ(window.List(list)->model()->columnCount(), 6);
}

TEST_F(QtToolkitTest, EventTableDrivesTheRealWindow) {
  auto* combo = qobject_cast<QComboBox*>(window.Widget(Control::组合框1));
  EXPECT_EQ(state.site(), 0);
  struct Case {
    int index;
    int site;
  };
  const Case cases[] = {{1, 2}, {0, 1}, {-1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    combo->setCurrentIndex(c.index);
    emit combo->activated(c.index);
    EXPECT_EQ(state.site(), c.site);
  }

  window.ShowPage(2);
  QTest::mouseClick(window.Widget(Control::按钮_上一章1), Qt::LeftButton);
  EXPECT_EQ(window.Page(), 1);
  QTest::mouseClick(window.Widget(Control::按钮1), Qt::LeftButton);
  EXPECT_EQ(window.Page(), 2);
}

// Jobs write rows and cells and read them back while the window thread runs; every call must
// land whole, on the window thread, and none may deadlock (run under ThreadSanitizer in CI).
TEST_F(QtToolkitTest, JobThreadsWriteAndReadConcurrently) {
  constexpr int kJobs = 4;
  constexpr int kRows = 200;
  std::atomic<int> mismatches = 0;
  window.ShowPage(1);
  RunOnJobThreads(kJobs, [&](int job) {
    for (int i = 0; i < kRows; ++i) {
      const Text key = std::to_string(job) + "-" + std::to_string(i);
      const int row = toolkit.InsertRow(Control::超级列表框2, key);
      toolkit.SetCell(Control::超级列表框2, row, 1, key + Gbk(u8"章"));
      toolkit.SetCell(Control::超级列表框2, row, 2, "/c/" + key);
      if (toolkit.ReadCell(Control::超级列表框2, row, 0) != key ||
          toolkit.ReadCell(Control::超级列表框2, row, 2) != "/c/" + key) {
        ++mismatches;
      }
      if (i % 50 == 0) {
        toolkit.SetLabel(Control::透明标签_章节名称, key);
        toolkit.ShowPage(job % 3);
        if (toolkit.ReadChoice(Control::组合框1) != 0) ++mismatches;
      }
    }
  });
  EXPECT_EQ(mismatches.load(), 0);
  // Rows and repaints held back while rows streamed in reach the screen soon after.
  const QtRowModel& rows = window.List(Control::超级列表框2)->rows();
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return window.List(Control::超级列表框2)->updatesEnabled() &&
               rows.rowCount() == kJobs * kRows;
      },
      2000));
  ASSERT_EQ(rows.Rows(), kJobs * kRows);
  for (int row = 0; row < rows.Rows(); ++row) {
    ASSERT_EQ(rows.Cell(row, 1), rows.Cell(row, 0) + Gbk(u8"章"));
    ASSERT_EQ(rows.Cell(row, 2), "/c/" + rows.Cell(row, 0));
  }
}

TEST_F(QtToolkitTest, JobMessageBoxBlocksOnlyTheJob) {
  std::atomic<bool> returned = false;
  std::thread job([&] {
    toolkit.MessageBox(Gbk(u8"未获取到对应资源"), std::nullopt);
    returned = true;
  });
  ASSERT_TRUE(QTest::qWaitFor([] { return !OpenBoxes().empty(); }, 5000));
  QMessageBox* box = OpenBoxes().back();
  EXPECT_EQ(box->windowTitle(), QString::fromUtf8(u8"信息："));
  EXPECT_EQ(box->text(), QString::fromUtf8(u8"未获取到对应资源"));
  EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
  EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
  EXPECT_EQ(box->parentWidget(), nullptr);
  EXPECT_EQ(box->windowModality(), Qt::NonModal);

  // The window still takes calls from other jobs and from the user.
  RunOnJobThreads(1, [&](int) { toolkit.InsertRow(Control::超级列表框1, Text("still")); });
  window.ShowPage(1);
  QTest::mouseClick(window.Widget(Control::按钮1), Qt::LeftButton);
  EXPECT_EQ(window.Page(), 2);
  EXPECT_FALSE(returned.load());

  box->button(QMessageBox::Ok)->click();
  EXPECT_TRUE(QTest::qWaitFor([&] { return returned.load(); }, 5000));
  job.join();
}

TEST_F(QtToolkitTest, WindowThreadMessageBoxIsModalWithItsTitle) {
  std::optional<Qt::WindowModality> modality;
  QString title;
  QTimer::singleShot(0, [&] {
    QMessageBox* box = OpenBoxes().back();
    modality = box->windowModality();
    title = box->windowTitle();
    box->button(QMessageBox::Ok)->click();
  });
  toolkit.MessageBox(Gbk(u8"已经是最后一章了"), Gbk(u8"提示："));
  EXPECT_EQ(modality, Qt::ApplicationModal);
  EXPECT_EQ(title, QString::fromUtf8(u8"提示："));
}

TEST_F(QtToolkitTest, AfterTheWindowClosesJobCallsReturnAtOnce) {
  std::atomic<bool> boxReturned = false;
  std::thread waiting([&] {
    toolkit.MessageBox(Gbk(u8"等待"), std::nullopt);
    boxReturned = true;
  });
  ASSERT_TRUE(QTest::qWaitFor([] { return !OpenBoxes().empty(); }, 5000));
  toolkit.InsertRow(Control::超级列表框1, Text("kept"));
  window.close();
  EXPECT_TRUE(toolkit.IsClosed());
  EXPECT_TRUE(QTest::qWaitFor([&] { return boxReturned.load(); }, 5000))
      << "a job waiting on its message box is released";
  EXPECT_TRUE(OpenBoxes().empty()) << "its box went with the window";
  waiting.join();

  // Nobody runs the window's events from here on, yet no call may wait for them.
  std::thread late([&] {
    toolkit.SetText(Control::编辑框1, "x");
    EXPECT_EQ(toolkit.InsertRow(Control::超级列表框1, Text("late")), -1);
    EXPECT_EQ(toolkit.ReadCell(Control::超级列表框1, 0, 0), "");
    EXPECT_EQ(toolkit.SelectedRow(Control::超级列表框1), -1);
    EXPECT_EQ(toolkit.ReadChoice(Control::组合框1), -1);
    toolkit.MessageBox("never shown", std::nullopt);
  });
  late.join();
  EXPECT_EQ(window.List(Control::超级列表框1)->rows().Rows(), 1);
}

TEST_F(QtToolkitTest, StartJobRunsOnItsOwnThreadAndRunDirectoryIsThisProgram) {
  std::atomic<int> argument = -1;
  std::atomic<bool> otherThread = false;
  const std::thread::id windowThread = std::this_thread::get_id();
  toolkit.StartJob(
      [&](int value) {
        otherThread = std::this_thread::get_id() != windowThread;
        argument = value;
      },
      7);
  EXPECT_TRUE(QTest::qWaitFor([&] { return argument.load() == 7; }, 5000));
  EXPECT_TRUE(otherThread.load());

  const std::string directory = toolkit.RunDirectory();
  EXPECT_FALSE(directory.empty());
  EXPECT_NE(directory.back(), '/');
  EXPECT_EQ(QString::fromStdString(directory), QCoreApplication::applicationDirPath());
}

}  // namespace
}  // namespace tevrin
