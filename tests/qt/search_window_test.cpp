#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "sample_reader_window.h"
#include "samples/catalogue.h"
#include "samples/sample_pages.h"
#include "search/keep_gb2312_hanzi.h"

namespace tevrin {
namespace {

class SearchWindowTest : public ::testing::Test, protected SampleReaderWindow {
 protected:
  /// True once the search has ended: the button is back and the job has let go of the window.
  bool SearchEnded() {
    auto* button = qobject_cast<QPushButton*>(window.Widget(Control::按钮_搜索));
    return button->isEnabled() && button->text() == QString::fromUtf8(u8"搜索资源") &&
           Idle(ReaderState::Kind::Search);
  }
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
  const QtRowModel& rows = window.List(Control::超级列表框1)->rows();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<const SampleBook*> books = SampleBooksNamed(c.keyword);
    ASSERT_FALSE(books.empty());
    window.ShowPage(2);
    Search(c.choice, c.keyword);
    if (HasFatalFailure()) return;
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
