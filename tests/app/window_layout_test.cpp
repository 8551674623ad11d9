#include "app/window_layout.h"

#include <gtest/gtest.h>

#include <set>

#include "app/control.h"

namespace tevrin {
namespace {

TEST(WindowLayoutTest, EveryControlHasOneEntryAndPageControlsFitTheirPages) {
  std::set<Control> seen;
  for (const ControlLayout& entry : WindowLayout()) {
    SCOPED_TRACE(reinterpret_cast<const char*>(entry.name));
    EXPECT_TRUE(seen.insert(entry.control).second) << "listed twice";
    EXPECT_EQ(&LayoutOf(entry.control), &entry);
    EXPECT_GE(entry.page, -1);
    EXPECT_LT(entry.page, kPageCount);
    if (entry.page >= 0) {
      const ControlLayout& tabs = LayoutOf(Control::选择夹1);
      EXPECT_LE(entry.x + entry.width, tabs.width);
      EXPECT_LE(entry.y + entry.height, tabs.height);
    }
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(Control::按钮_下一章) + 1);
  EXPECT_EQ(ColumnsOf(Control::超级列表框1).size(), 6u);
  EXPECT_EQ(ColumnsOf(Control::超级列表框2).size(), 3u);
  EXPECT_TRUE(ColumnsOf(Control::编辑框1).empty());
}

}  // namespace
}  // namespace tevrin
