#pragma once

// The window operations the reader's logic relies on, and nothing else. Every operation may be
// called from the window thread or from a job's thread and returns once the control has taken
// the change or given its value. Texts are GBK. Indexes are 0-based. No operation fails
// visibly: a missing row or column reads as empty text and is not written.

#include <functional>
#include <optional>
#include <string>

#include "app/control.h"
#include "text/text.h"

namespace tevrin {

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  /// Shows a page of 选择夹1; below 0 counts as 0, above the last as the last.
  virtual void ShowPage(int page) = 0;
  /// Index of the chosen item of a combo box, -1 when none.
  virtual int ReadChoice(Control control) = 0;
  virtual Text ReadText(Control editBox) = 0;
  virtual void SetText(Control editBox, const Text& text) = 0;
  virtual void SetLabel(Control label, const Text& text) = 0;
  virtual void Enable(Control button, bool enabled) = 0;
  virtual void SetCaption(Control button, const Text& caption) = 0;
  /// Removes every row; the columns stay.
  virtual void DeleteAllRows(Control list) = 0;
  /// Appends a row after the last, with `column0` in its first cell when given; gives its index.
  virtual int InsertRow(Control list, const std::optional<Text>& column0) = 0;
  virtual void SetCell(Control list, int row, int column, const Text& text) = 0;
  virtual Text ReadCell(Control list, int row, int column) = 0;
  /// The first selected row, -1 when none.
  virtual int SelectedRow(Control list) = 0;
  /// OK button only, no icon; blocks the calling thread until closed. No title: "信息：".
  virtual void MessageBox(const Text& text, const std::optional<Text>& title) = 0;
  /// Handles the calling thread's queued window events until none is left.
  virtual void ProcessEvents() = 0;
  /// Runs `routine(argument)` on a new thread and returns at once; the thread is never joined
  /// by the caller.
  virtual void StartJob(std::function<void(int)> routine, int argument) = 0;
  /// The directory of the program file, without a trailing separator (a file-system path).
  virtual std::string RunDirectory() = 0;
};

}  // namespace tevrin
