#pragma once

// The fixed layout of the main window, shared by the Qt window and the headless window so both
// start from the same controls, texts and columns. Texts here are UTF-8 literals.

#include <span>

#include "app/control_fwd.h"

namespace tevrin {

enum class ControlKind {
  EditBox,
  MultiLineEditBox,
  Button,
  ComboBox,
  TabControl,
  TransparentLabel,
  Label,
  ListView,
};

struct ControlLayout {
  Control control;
  /// The control's name in the layout, also the object name of its widget.
  const char8_t* name;
  ControlKind kind;
  /// Page of 选择夹1 the control lives on; -1 for a control placed on the window itself.
  int page;
  /// Relative to the window's client area, or to 选择夹1 for a control on a page.
  int x, y, width, height;
  const char8_t* startText;
  /// Character height of the control's own font in pixels; 0 for the default GUI font.
  int fontPixels;
};

struct ColumnLayout {
  const char8_t* title;
  int width;
  bool centred;
};

inline constexpr int kWindowWidth = 911;
inline constexpr int kWindowHeight = 756;
inline constexpr int kPageCount = 3;

/// "Tevrin免费小说1.0".
const char8_t* WindowTitle();
/// The page titles of 选择夹1, in index order.
std::span<const char8_t* const> PageTitles();
/// The list items of 组合框1, in index order.
std::span<const char8_t* const> SiteChoices();
/// Every control of the window, 选择夹1 before the controls on its pages.
std::span<const ControlLayout> WindowLayout();
/// The layout entry of `control`.
const ControlLayout& LayoutOf(Control control);
/// The columns of 超级列表框1 or 超级列表框2; empty for any other control.
std::span<const ColumnLayout> ColumnsOf(Control list);

}  // namespace tevrin
