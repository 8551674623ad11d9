// Renders the window offscreen with a few made-up search results, as the README shows it.
// scripts/screenshot runs this test with TEVRIN_SCREENSHOT set to the image's path.

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QTest>
#include <cstdlib>

#include "app/control.h"
#include "app/qt_main_window.h"
#include "app/qt_toolkit.h"
#include "qt_test_app.h"
#include "text/code_page.h"

namespace tevrin {
namespace {

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
  const QRect firstRow = list->visualRect(list->model()->index(0, 0))
                             .translated(list->viewport()->mapTo(&window, QPoint(0, 0)));
  int dark = 0;
  for (int x = firstRow.left(); x <= firstRow.right(); ++x) {
    for (int y = firstRow.top(); y <= firstRow.bottom(); ++y) {
      if (image.pixelColor(x, y).lightness() < 100) ++dark;
    }
  }
  EXPECT_GT(dark, 20) << "the book name is drawn";

  const char* target = std::getenv("TEVRIN_SCREENSHOT");
  const QString path = target != nullptr
                           ? QString::fromLocal8Bit(target)
                           : QDir::temp().filePath(QStringLiteral("tevrin-window.png"));
  EXPECT_TRUE(image.save(path, "PNG")) << path.toStdString();
}

}  // namespace
}  // namespace tevrin
