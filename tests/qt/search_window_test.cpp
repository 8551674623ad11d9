#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <mutex>
#include <optional>
#include <vector>

#include "app/control.h"
#include "app/event_table.h"
#include "app/qt_main_window.h"
#include "app/qt_toolkit.h"
#include "app/reader.h"
#include "app/reader_state.h"
#include "qt_test_app.h"
#include "samples/catalogue.h"
#include "samples/sample_pages.h"
#include "samples/sample_sites.h"
#include "search/keep_gb2312_hanzi.h"
#include "text/code_page.h"
#include "web/curl_http_service.h"

namespace tevrin {
namespace {

QString Shown(const Text& gbk) {
  return QString::fromStdString(GbkToDisplayUtf8(gbk));
}

class SearchWindowTest : public ::testing::Test {
 protected:
  SearchWindowTest()
      : window([this](Control control, Event event) {
          if (reader) FireEvent(*reader, control, event);
        }),
        toolkit(window) {
    reader.emplace(Reader{toolkit, state, http, sites.site1Origin(), sites.site2Origin()});
    window.Open();
  }

  /// True once the search has ended: the button is back and the job has let go of the window.
  /// The window thread may only try the job's write lock, never wait on it.
  bool SearchEnded() {
    auto* button = qobject_cast<QPushButton*>(window.Widget(Control::按钮_搜索));
    if (!button->isEnabled() || button->text() != QString::fromUtf8(u8"搜索资源")) return false;
    std::unique_lock lock(state.WindowWrites(ReaderState::Kind::Search), std::try_to_lock);
    return lock.owns_lock();
  }

  QtTestApp app;
  SampleSites sites;
  ReaderState state;
  CurlHttpService http;
  std::optional<Reader> reader;
  QtMainWindow window;
  QtToolkit toolkit;
};

TEST_F(SearchWindowTest, TypingANameAndClickingListsTheBooksOfTheChosenSite) {
  const SampleKeywords& keywords = SampleSearchKeywords();
  struct Case {
    const char* name;
    int choice;
    Text keyword;
  };
  const Case cases[] = {
      {"site 1", 0, keywords.few},
      {"site 2, two pages", 1, keywords.fourteen},
  };
  auto* edit = qobject_cast<QLineEdit*>(window.Widget(Control::编辑框_书名));
  auto* combo = qobject_cast<QComboBox*>(window.Widget(Control::组合框1));
  ASSERT_NE(edit, nullptr);
  ASSERT_NE(combo, nullptr);
  const QtRowModel& rows = window.List(Control::超级列表框1)->rows();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<const SampleBook*> books = SampleBooksNamed(c.keyword);
    ASSERT_FALSE(books.empty());
    window.ShowPage(2);
    combo->setCurrentIndex(c.choice);
    emit combo->activated(c.choice);
    edit->clear();
    // Chinese is typed through an input method, which hands the line edit a commit string.
    QInputMethodEvent typed;
    typed.setCommitString(Shown(c.keyword));
    QApplication::sendEvent(edit, &typed);
    ASSERT_EQ(edit->text(), Shown(c.keyword));
    QTest::mouseClick(window.Widget(Control::按钮_搜索), Qt::LeftButton);
    EXPECT_EQ(window.Page(), 0);

    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return rows.rowCount() == static_cast<int>(books.size()) && SearchEnded(); }, 20000));
    ASSERT_EQ(rows.rowCount(), static_cast<int>(books.size()));
    const std::string origin = c.choice == 1 ? sites.site2Origin() : sites.site1Origin();
    for (int row = 0; row < rows.rowCount(); ++row) {
      const SampleBook& book = *books[static_cast<std::size_t>(row)];
      const Text title = c.choice == 1 ? KeepGb2312Hanzi(book.name) : book.name;
      EXPECT_EQ(rows.Cell(row, 0), title);
      EXPECT_EQ(rows.Cell(row, 2), book.author);
      EXPECT_EQ(rows.Cell(row, 5), origin + SampleBookPath(book.id));
      EXPECT_EQ(rows.data(rows.index(row, 0)).toString(), Shown(title));
    }
  }
}

}  // namespace
}  // namespace tevrin
