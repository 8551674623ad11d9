#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <string>
#include <utility>
#include <vector>

#include "app/control.h"
#include "app/qt_main_window.h"
#include "qt_test_app.h"

namespace tevrin {
namespace {

QString U(const char8_t* text) {
  return QString::fromUtf8(reinterpret_cast<const char*>(text));
}

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() : window([this](Control c, Event e) { events.emplace_back(c, e); }) {
    window.Open();
  }

  QWidget* Find(const char8_t* name) { return window.findChild<QWidget*>(U(name)); }

  QtTestApp app;
  std::vector<std::pair<Control, Event>> events;
  QtMainWindow window;
};

// Text a control shows, whatever its kind.
QString ShownText(QWidget* widget) {
  if (auto* w = qobject_cast<QLineEdit*>(widget)) return w->text();
  if (auto* w = qobject_cast<QPushButton*>(widget)) return w->text();
  if (auto* w = qobject_cast<QComboBox*>(widget)) return w->currentText();
  if (auto* w = qobject_cast<QLabel*>(widget)) return w->text();
  if (auto* w = qobject_cast<QtTransparentLabel*>(widget)) return w->text();
  if (auto* w = qobject_cast<QPlainTextEdit*>(widget)) return w->toPlainText();
  return QString();
}

TEST_F(MainWindowTest, EveryControlSitsWhereTheLayoutPutsIt) {
  struct Case {
    const char8_t* name;
    const char* kind;
    int page;  // -1: on the window itself
    QRect geometry;
    const char8_t* text;
    int fontPixels;  // 0: the default GUI font
  };
  const Case cases[] = {
      {u8"编辑框_书名", "QLineEdit", -1, {265, 45, 304, 47}, u8"", 0},
      {u8"按钮_搜索", "QPushButton", -1, {587, 40, 80, 29}, u8"搜索资源", 0},
      {u8"组合框1", "QComboBox", -1, {592, 69, 72, 20}, u8"笔趣阁", 0},
      {u8"选择夹1", "QTabWidget", -1, {32, 100, 848, 636}, u8"", 0},
      {u8"透明标签2",
       "tevrin::QtTransparentLabel",
       0,
       {109, 11, 656, 32},
       u8"搜索结果：只显示前50条，请输入更详细的搜索条件，可缩写搜索范围",
       20},
      {u8"超级列表框1", "tevrin::QtListView", 0, {80, 53, 704, 512}, u8"", 0},
      {u8"标签1", "QLabel", 0, {274, 575, 320, 24}, u8"温馨提示：双击对应小说查看该小说目录", 0},
      {u8"透明标签_文章", "tevrin::QtTransparentLabel", 1, {231, 21, 393, 47}, u8"", 35},
      {u8"超级列表框2", "tevrin::QtListView", 1, {63, 86, 704, 478}, u8"", 0},
      {u8"按钮1", "QPushButton", 1, {192, 572, 448, 40}, u8"继续阅读", 0},
      {u8"透明标签_章节名称", "tevrin::QtTransparentLabel", 2, {166, 1, 504, 32}, u8"", 16},
      {u8"编辑框1", "QPlainTextEdit", 2, {38, 35, 768, 512}, u8"", 20},
      {u8"按钮_上一章", "QPushButton", 2, {116, 557, 152, 48}, u8"上一章", 0},
      {u8"按钮_上一章1", "QPushButton", 2, {331, 557, 152, 48}, u8"返回目录", 0},
      {u8"按钮_下一章", "QPushButton", 2, {547, 557, 152, 48}, u8"下一章", 0},
  };
  QWidget* tabs = Find(u8"选择夹1");
  ASSERT_NE(tabs, nullptr);
  for (int page = 2; page >= 0; --page) {
    window.ShowPage(page);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(reinterpret_cast<const char*>(c.name)) + " on page " +
                   std::to_string(page));
      QWidget* widget = Find(c.name);
      ASSERT_NE(widget, nullptr);
      EXPECT_STREQ(widget->metaObject()->className(), c.kind);
      EXPECT_EQ(widget->parentWidget(), c.page < 0 ? &window : tabs);
      EXPECT_EQ(widget->geometry(), c.geometry);
      EXPECT_EQ(widget->isVisible(), c.page < 0 || c.page == page);
      EXPECT_EQ(ShownText(widget), U(c.text));
      if (c.fontPixels > 0) {
        EXPECT_EQ(widget->font().pixelSize(), c.fontPixels);
        EXPECT_EQ(widget->font().weight(), QFont::Normal);
        EXPECT_FALSE(widget->font().italic() || widget->font().underline() ||
                     widget->font().strikeOut());
      } else {
        EXPECT_FALSE(widget->testAttribute(Qt::WA_SetFont)) << "keeps the default GUI font";
      }
    }
  }
}

TEST_F(MainWindowTest, WindowIsFixedCentredAndOpensOnPageZero) {
  EXPECT_EQ(window.windowTitle(), U(u8"Tevrin免费小说1.0"));
  EXPECT_EQ(window.frameGeometry().size(), QSize(911, 756));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  const Qt::WindowFlags flags = window.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowTitleHint);
  EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
  const QPoint centre = window.screen()->availableGeometry().center();
  EXPECT_LE((window.frameGeometry().center() - centre).manhattanLength(), 2);

  auto* tabs = qobject_cast<QTabWidget*>(Find(u8"选择夹1"));
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->currentIndex(), 0);
  ASSERT_EQ(tabs->count(), 3);
  EXPECT_EQ(tabs->tabText(0), U(u8"书源"));
  EXPECT_EQ(tabs->tabText(1), U(u8"目录"));
  EXPECT_EQ(tabs->tabText(2), U(u8"内容"));
}

TEST_F(MainWindowTest, ListColumnsAndStyle) {
  struct Column {
    const char8_t* title;
    int width;
    Qt::Alignment alignment;
  };
  struct Case {
    const char8_t* list;
    std::vector<Column> columns;
    bool headerButtons;
  };
  const Case cases[] = {
      {u8"超级列表框1",
       {{u8"文章名称", 150, Qt::AlignLeft},
        {u8"最新章节", 250, Qt::AlignLeft},
        {u8"作者", 100, Qt::AlignLeft},
        {u8"更新", 100, Qt::AlignLeft},
        {u8"状态", 100, Qt::AlignLeft},
        {u8"链接", 50, Qt::AlignLeft}},
       false},
      {u8"超级列表框2",
       {{u8"序号", 50, Qt::AlignLeft},
        {u8"全部章节", 650, Qt::AlignHCenter},
        {u8"链接", 0, Qt::AlignLeft}},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(reinterpret_cast<const char*>(c.list));
    auto* view = qobject_cast<QtListView*>(Find(c.list));
    ASSERT_NE(view, nullptr);
    QAbstractItemModel* model = view->model();
    ASSERT_EQ(model->columnCount(), static_cast<int>(c.columns.size()));
    EXPECT_EQ(model->rowCount(), 0);
    view->rows().AppendRow("x");
    for (int i = 0; i < model->columnCount(); ++i) {
      const Column& column = c.columns[static_cast<std::size_t>(i)];
      SCOPED_TRACE(i);
      EXPECT_EQ(model->headerData(i, Qt::Horizontal).toString(), U(column.title));
      EXPECT_EQ(view->columnWidth(i), column.width);
      EXPECT_FALSE(view->isColumnHidden(i));
      const auto header =
          model->headerData(i, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>();
      const auto cell = model->index(0, i).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
      EXPECT_EQ(header & Qt::AlignHorizontal_Mask, column.alignment);
      EXPECT_EQ(cell & Qt::AlignHorizontal_Mask, column.alignment);
      EXPECT_FALSE(model->index(0, i).data(Qt::DecorationRole).isValid()) << "no images";
    }
    EXPECT_TRUE(view->showGrid());
    EXPECT_EQ(view->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(view->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(view->verticalHeader()->isVisible());
    EXPECT_EQ(view->horizontalHeader()->sectionsClickable(), c.headerButtons);
    EXPECT_FALSE(view->isSortingEnabled());
  }

  // Clicking a header of 超级列表框2 sorts nothing.
  auto* chapters = qobject_cast<QtListView*>(Find(u8"超级列表框2"));
  window.ShowPage(1);
  chapters->rows().AppendRow("b");
  chapters->rows().AppendRow("a");
  QHeaderView* header = chapters->horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));
  EXPECT_EQ(chapters->rows().Cell(1, 0), "b");
  EXPECT_EQ(chapters->rows().Cell(2, 0), "a");
}

TEST_F(MainWindowTest, ComboBoxKeepsItsTwoItemsAndFiresOnChoice) {
  auto* combo = qobject_cast<QComboBox*>(Find(u8"组合框1"));
  ASSERT_NE(combo, nullptr);
  EXPECT_TRUE(combo->isEditable());
  ASSERT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->itemText(0), U(u8"笔趣阁"));
  EXPECT_EQ(combo->itemText(1), U(u8"顶点网"));
  EXPECT_EQ(window.Choice(), 0);

  combo->lineEdit()->selectAll();
  QTest::keyClicks(combo->lineEdit(), "typed");
  QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(combo->count(), 2) << "typed text never becomes an item";

  events.clear();
  combo->setCurrentIndex(1);
  emit combo->activated(1);
  EXPECT_EQ(window.Choice(), 1);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), std::make_pair(Control::组合框1, Event::ItemChosen));

  combo->showPopup();
  EXPECT_GE(combo->height() + combo->view()->height(), 160);
  combo->hidePopup();
}

TEST_F(MainWindowTest, ButtonsAndDoubleClicksReachTheSink) {
  struct Case {
    const char8_t* name;
    Control control;
    int page;
  };
  const Case buttons[] = {
      {u8"按钮_搜索", Control::按钮_搜索, 0},     {u8"按钮1", Control::按钮1, 1},
      {u8"按钮_上一章", Control::按钮_上一章, 2}, {u8"按钮_上一章1", Control::按钮_上一章1, 2},
      {u8"按钮_下一章", Control::按钮_下一章, 2},
  };
  for (const Case& c : buttons) {
    SCOPED_TRACE(reinterpret_cast<const char*>(c.name));
    window.ShowPage(c.page);
    events.clear();
    QTest::mouseClick(Find(c.name), Qt::LeftButton);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], std::make_pair(c.control, Event::Clicked));
  }

  // A double-click counts wherever it lands: on empty space of an empty list and on a row.
  const Case lists[] = {{u8"超级列表框1", Control::超级列表框1, 0},
                        {u8"超级列表框2", Control::超级列表框2, 1}};
  for (const Case& c : lists) {
    SCOPED_TRACE(reinterpret_cast<const char*>(c.name));
    window.ShowPage(c.page);
    auto* view = qobject_cast<QtListView*>(Find(c.name));
    events.clear();
    const QPoint empty(view->viewport()->width() / 2, view->viewport()->height() - 5);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, empty);
    EXPECT_EQ(events, (std::vector{std::make_pair(c.control, Event::DoubleClicked)}));

    view->rows().AppendRow("row");
    events.clear();
    const QPoint onRow = view->visualRect(view->model()->index(0, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, onRow);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, onRow);
    EXPECT_EQ(events, (std::vector{std::make_pair(c.control, Event::DoubleClicked)}));
    EXPECT_EQ(view->SelectedRow(), 0);
  }
}

TEST_F(MainWindowTest, ShowPageClampsAndHidesOtherPages) {
  struct Case {
    int asked;
    int shown;
  };
  const Case cases[] = {{2, 2}, {-3, 0}, {7, 2}, {1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.asked);
    window.ShowPage(c.asked);
    EXPECT_EQ(window.Page(), c.shown);
    EXPECT_EQ(Find(u8"超级列表框1")->isVisible(), c.shown == 0);
    EXPECT_EQ(Find(u8"超级列表框2")->isVisible(), c.shown == 1);
    EXPECT_EQ(Find(u8"编辑框1")->isVisible(), c.shown == 2);
  }
}

// What a transparent label paints over a red background: the counts of white, black and
// other non-red pixels, and the horizontal middle of everything it painted.
struct Painted {
  int white = 0;
  int dark = 0;
  int other = 0;
  double middle = 0;
};

Painted PaintOverRed(QWidget* label) {
  QImage image(label->size(), QImage::Format_RGB32);
  image.fill(Qt::red);
  label->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  Painted painted;
  int left = image.width();
  int right = -1;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      if (pixel == QColor(Qt::red)) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      if (pixel == QColor(Qt::white)) {
        ++painted.white;
      } else if (pixel.lightness() < 60) {
        ++painted.dark;
      } else {
        ++painted.other;
      }
    }
  }
  painted.middle = right < 0 ? -1 : (left + right) / 2.0;
  return painted;
}

TEST_F(MainWindowTest, TransparentLabelsPaintOnlyTheirCentredText) {
  struct Case {
    Control control;
    bool shadow;
  };
  const Case cases[] = {{Control::透明标签2, false},
                        {Control::透明标签_文章, true},
                        {Control::透明标签_章节名称, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.control));
    QWidget* label = window.Widget(c.control);
    window.SetLabel(c.control, QString());
    const Painted empty = PaintOverRed(label);
    EXPECT_EQ(empty.white + empty.dark + empty.other, 0) << "no background of its own";

    window.SetLabel(c.control, U(u8"第一章 风起&云涌"));
    const Painted text = PaintOverRed(label);
    EXPECT_GT(text.dark, 20);
    EXPECT_EQ(text.white > 0, c.shadow);
    EXPECT_NEAR(text.middle, label->width() / 2.0, 3.0);
  }

  // An ampersand is a character, not a mnemonic marker: alone it still paints.
  window.SetLabel(Control::透明标签2, QStringLiteral("&"));
  EXPECT_GT(PaintOverRed(window.Widget(Control::透明标签2)).dark, 0);
}

}  // namespace
}  // namespace tevrin
