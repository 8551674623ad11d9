#pragma once

// The controls of the main window, named as in its layout.

namespace tevrin {

enum class Control {
  编辑框_书名,
  按钮_搜索,
  组合框1,
  选择夹1,
  透明标签2,
  超级列表框1,
  标签1,
  透明标签_文章,
  超级列表框2,
  按钮1,
  透明标签_章节名称,
  编辑框1,
  按钮_上一章,
  按钮_上一章1,
  按钮_下一章,
};

/// The events the window binds to handlers.
enum class Event { Clicked, DoubleClicked, ItemChosen };

}  // namespace tevrin
