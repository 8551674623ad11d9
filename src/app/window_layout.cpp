#include "app/window_layout.h"

#include <array>

#include "app/control.h"

namespace tevrin {

const char8_t* WindowTitle() {
  return u8"Tevrin免费小说1.0";
}

std::span<const char8_t* const> PageTitles() {
  static constexpr std::array<const char8_t*, kPageCount> kPageTitles{u8"书源", u8"目录", u8"内容"};
  return kPageTitles;
}

std::span<const char8_t* const> SiteChoices() {
  static constexpr std::array<const char8_t*, 2> kSiteChoices{u8"笔趣阁", u8"顶点网"};
  return kSiteChoices;
}

std::span<const ControlLayout> WindowLayout() {
  using enum Control;
  using enum ControlKind;
  static constexpr std::array<ControlLayout, 15> kLayout{{
      {编辑框_书名, u8"编辑框_书名", EditBox, -1, 265, 45, 304, 47, u8"", 0},
      {按钮_搜索, u8"按钮_搜索", Button, -1, 587, 40, 80, 29, u8"搜索资源", 0},
      {组合框1, u8"组合框1", ComboBox, -1, 592, 69, 72, 20, u8"笔趣阁", 0},
      {选择夹1, u8"选择夹1", TabControl, -1, 32, 100, 848, 636, u8"", 0},
      {透明标签2, u8"透明标签2", TransparentLabel, 0, 109, 11, 656, 32,
       u8"搜索结果：只显示前50条，请输入更详细的搜索条件，可缩写搜索范围", 20},
      {超级列表框1, u8"超级列表框1", ListView, 0, 80, 53, 704, 512, u8"", 0},
      {标签1, u8"标签1", Label, 0, 274, 575, 320, 24, u8"温馨提示：双击对应小说查看该小说目录", 0},
      {透明标签_文章, u8"透明标签_文章", TransparentLabel, 1, 231, 21, 393, 47, u8"", 35},
      {超级列表框2, u8"超级列表框2", ListView, 1, 63, 86, 704, 478, u8"", 0},
      {按钮1, u8"按钮1", Button, 1, 192, 572, 448, 40, u8"继续阅读", 0},
      {透明标签_章节名称, u8"透明标签_章节名称", TransparentLabel, 2, 166, 1, 504, 32, u8"", 16},
      {编辑框1, u8"编辑框1", MultiLineEditBox, 2, 38, 35, 768, 512, u8"", 20},
      {按钮_上一章, u8"按钮_上一章", Button, 2, 116, 557, 152, 48, u8"上一章", 0},
      {按钮_上一章1, u8"按钮_上一章1", Button, 2, 331, 557, 152, 48, u8"返回目录", 0},
      {按钮_下一章, u8"按钮_下一章", Button, 2, 547, 557, 152, 48, u8"下一章", 0},
  }};
  return kLayout;
}

const ControlLayout& LayoutOf(Control control) {
  const std::span<const ControlLayout> layout = WindowLayout();
  for (const ControlLayout& entry : layout) {
    if (entry.control == control) return entry;
  }
  // Every enumerator has an entry; the layout test keeps it so.
  return layout.front();
}

std::span<const ColumnLayout> ColumnsOf(Control list) {
  static constexpr std::array<ColumnLayout, 6> kBookColumns{{
      {u8"文章名称", 150, false},
      {u8"最新章节", 250, false},
      {u8"作者", 100, false},
      {u8"更新", 100, false},
      {u8"状态", 100, false},
      {u8"链接", 50, false},
  }};
  static constexpr std::array<ColumnLayout, 3> kChapterColumns{{
      {u8"序号", 50, false},
      {u8"全部章节", 650, true},
      {u8"链接", 0, false},
  }};
  switch (list) {
    case Control::超级列表框1:
      return kBookColumns;
    case Control::超级列表框2:
      return kChapterColumns;
    default:
      return {};
  }
}

}  // namespace tevrin
