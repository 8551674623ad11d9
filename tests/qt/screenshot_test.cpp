// Renders the window offscreen as the README shows it: with a few made-up search results, and
// as the demo shows a chapter of the sample sites. scripts/screenshot runs these tests with
// TEVRIN_SCREENSHOT and TEVRIN_DEMO_SCREENSHOT set to the images' paths.

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QTest>
#include <cstdlib>
#include <iterator>
#include <string>

#include "app/control.h"
#include "app/qt_main_window.h"
#include "app/qt_toolkit.h"
#include "qt_test_app.h"
#include "sample_reader_window.h"
#include "samples/catalogue.h"
#include "text/code_page.h"

namespace tevrin {
namespace {

/// Counts the pixels darker than the background inside `area` of `widget`, as drawn in `image`
/// of `window`.
int DarkPixels(const QImage& image, const QWidget& window, const QWidget& widget, QRect area) {
  area.translate(widget.mapTo(&window, QPoint(0, 0)));
  area &= image.rect();
  int dark = 0;
  for (int x = area.left(); x <= area.right(); ++x) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
      if (image.pixelColor(x, y).lightness() < 100) ++dark;
    }
  }
  return dark;
}

QString ImagePath(const char* variable, const char* fallbackName) {
  const char* target = std::getenv(variable);
  return target != nullptr ? QString::fromLocal8Bit(target)
                           : QDir::temp().filePath(QString::fromLatin1(fallbackName));
}

TEST(ScreenshotTest, WindowRendersAtItsSizeWithChineseText) {
  QtTestApp app;
  QtMainWindow window([](Control, Event) {});
  QtToolkit toolkit(window);
  window.Open();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  struct Book {
    const char8_t* name;
    const char8_t* latest;
    const char8_t* author;
    const char8_t* updated;
    const char8_t* status;
  };
  const Book books[] = {
      {u8"山海行记", u8"第三百一十二章 夜渡寒江", u8"林清舟", u8"2024-03-18", u8"连载中"},
      {u8"山海长歌", u8"第八十章 旧城风雪", u8"苏墨白", u8"2024-02-02", u8"连载中"},
      {u8"青灯山海录", u8"后记 归途", u8"江晚舟", u8"2023-11-27", u8"已完结"},
      {u8"山海间的小书店", u8"第四十五章 雨后初晴", u8"何小满", u8"2024-03-10", u8"连载中"},
  };
  toolkit.SetText(Control::编辑框_书名, Gbk(u8"山海"));
  for (int i = 0; i < static_cast<int>(std::size(books)); ++i) {
    const Book& book = books[i];
    const int row = toolkit.InsertRow(Control::超级列表框1, Gbk(book.name));
    toolkit.SetCell(Control::超级列表框1, row, 1, Gbk(book.latest));
    toolkit.SetCell(Control::超级列表框1, row, 2, Gbk(book.author));
    toolkit.SetCell(Control::超级列表框1, row, 3, Gbk(book.updated));
    toolkit.SetCell(Control::超级列表框1, row, 4, Gbk(book.status));
    toolkit.SetCell(Control::超级列表框1, row, 5, "/book/" + std::to_string(1024 + i) + "/");
  }

  const QImage image = window.grab().toImage();
  EXPECT_EQ(image.size(), window.size());
  // Something besides the background was painted where the list's first row is.
  QtListView* list = window.List(Control::超级列表框1);
  EXPECT_GT(
      DarkPixels(image, window, *list->viewport(), list->visualRect(list->model()->index(0, 0))),
      20)
      << "the book name is drawn";

  const QString path = ImagePath("TEVRIN_SCREENSHOT", "tevrin-window.png");
  EXPECT_TRUE(image.save(path, "PNG")) << path.toStdString();
}

// The demo's picture: the window on the sample sites after a search, a book's contents and a
// chapter, all loaded by the reader's own handlers and jobs from the user's clicks.
TEST(ScreenshotTest, DemoWindowShowsAChapterOfTheSampleSites) {
  SampleReaderWindow demo;
  ASSERT_TRUE(demo.sites.Running());
  QtMainWindow& window = demo.window;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  const SampleBook& book = *FindSampleBook(1);
  demo.Search(0, SampleSearchKeywords().few);
  const QtRowModel& books = window.List(Control::超级列表框1)->rows();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return books.rowCount() == 3 && demo.Idle(ReaderState::Kind::Search); }, 20000));

  demo.DoubleClickRow(Control::超级列表框1, 0);
  const QtRowModel& chapters = window.List(Control::超级列表框2)->rows();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return chapters.rowCount() == book.chapterCount &&
               demo.Idle(ReaderState::Kind::TableOfContents);
      },
      20000));

  demo.DoubleClickRow(Control::超级列表框2, 1);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return demo.Title() == SampleChapterTitle(book, 2) && demo.Idle(ReaderState::Kind::Chapter);
      },
      20000));
  ASSERT_EQ(window.Page(), 2);
  QWidget* title = window.Widget(Control::透明标签_章节名称);

  const QImage image = window.grab().toImage();
  EXPECT_EQ(image.size(), window.size());
  EXPECT_GT(DarkPixels(image, window, *title, title->rect()), 20) << "the title is drawn";
  QWidget* text = window.Widget(Control::编辑框1);
  EXPECT_GT(DarkPixels(image, window, *text, text->rect()), 500) << "the chapter is drawn";

  const QString path = ImagePath("TEVRIN_DEMO_SCREENSHOT", "tevrin-demo.png");
  EXPECT_TRUE(image.save(path, "PNG")) << path.toStdString();
}

}  // namespace
}  // namespace tevrin
