#pragma once

// The toolkit over the real window. On the window thread every operation acts directly; from a
// job's thread it runs on the window thread through a blocking queued call and returns once
// the widget has taken the change. A message box from a job is shown without an owner and
// blocks only that job. Once the window has closed, every call returns at once with an empty
// result, also a job waiting on its message box.

#include <memory>
#include <string>

#include "app/qt_main_window.h"
#include "app/toolkit.h"

namespace tevrin {

class QtToolkit : public Toolkit {
 public:
  /// `window` must outlive every call; the toolkit closes itself when the window closes.
  /// `runDirectory` is where the reader keeps its files; empty means the program's directory.
  explicit QtToolkit(QtMainWindow& window, std::string runDirectory = {});
  ~QtToolkit() override;

  void ShowPage(int page) override;
  int ReadChoice(Control control) override;
  Text ReadText(Control editBox) override;
  void SetText(Control editBox, const Text& text) override;
  void SetLabel(Control label, const Text& text) override;
  void Enable(Control button, bool enabled) override;
  void SetCaption(Control button, const Text& caption) override;
  void DeleteAllRows(Control list) override;
  int InsertRow(Control list, const std::optional<Text>& column0) override;
  void SetCell(Control list, int row, int column, const Text& text) override;
  Text ReadCell(Control list, int row, int column) override;
  int SelectedRow(Control list) override;
  void MessageBox(const Text& text, const std::optional<Text>& title) override;
  /// On the window thread, handles its pending events; a job's thread has none.
  void ProcessEvents() override;
  /// A detached thread.
  void StartJob(std::function<void(int)> routine, int argument) override;
  std::string RunDirectory() override;

  /// From now on every call returns at once; releases jobs waiting on their message boxes.
  void Close();
  bool IsClosed() const;

  struct Shared;

 private:
  QtMainWindow& window_;
  std::shared_ptr<Shared> shared_;
  std::string runDirectory_;
};

}  // namespace tevrin
