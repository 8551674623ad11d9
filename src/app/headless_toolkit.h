#pragma once

// An in-memory window for tests and the command-line tool: the same controls, pages and lists
// as the real window, with no display. Every operation takes one mutex, so jobs on their own
// threads and a test on its thread may use it at once. Jobs run on threads this toolkit tracks;
// a test waits for them with WaitForJobs(), and the destructor joins whatever is left.

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/toolkit.h"

namespace tevrin {

class HeadlessToolkit : public Toolkit {
 public:
  /// One message box as it was shown; `title` is "信息：" when none was given.
  struct Message {
    Text text;
    Text title;
  };
  /// Runs while a message box is "open", on the thread that showed it, without the toolkit's
  /// lock held, so it may read or change the window.
  using MessageHook = std::function<void(const Message&)>;

  /// The window as it starts: page 0, item 0 of 组合框1 chosen, start captions and labels,
  /// empty lists, every button enabled.
  HeadlessToolkit();
  /// Joins every job still running.
  ~HeadlessToolkit() override;
  HeadlessToolkit(const HeadlessToolkit&) = delete;
  HeadlessToolkit& operator=(const HeadlessToolkit&) = delete;

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
  /// Nothing is ever queued here.
  void ProcessEvents() override;
  void StartJob(std::function<void(int)> routine, int argument) override;
  std::string RunDirectory() override;

  // Test side.

  /// Waits until no job is running, also jobs started by jobs meanwhile.
  void WaitForJobs();
  /// How many jobs were started so far.
  int JobsStarted() const;

  int Page() const;
  /// Chooses an item of 组合框1 as the user would, without firing its event; -1 chooses none.
  void SetChoice(int index);
  /// Selects one row of a list (-1 clears the selection); a row that does not exist clears it.
  void SelectRow(Control list, int row);
  int Rows(Control list) const;
  /// Number of columns of a list (0 for a control that is not a list).
  int Columns(Control list) const;
  Text Cell(Control list, int row, int column) const;
  /// Every cell of a list, row by row.
  std::vector<std::vector<Text>> Table(Control list) const;
  /// The text a label, button, edit box or 组合框1 shows.
  Text Label(Control control) const;
  Text Caption(Control button) const;
  bool IsEnabled(Control button) const;
  std::vector<Message> Messages() const;
  void ClearMessages();
  void SetMessageHook(MessageHook hook);
  void SetRunDirectory(std::string directory);

 private:
  struct List {
    int columns = 0;
    std::vector<std::vector<Text>> rows;
    int selected = -1;
  };

  List* FindList(Control list);
  const List* FindList(Control list) const;

  mutable std::mutex mutex_;
  int page_ = 0;
  int choice_ = 0;
  std::map<Control, Text> texts_;
  std::map<Control, bool> enabled_;
  List books_;
  List chapters_;
  std::vector<Message> messages_;
  MessageHook messageHook_;
  // Until a caller names one, the record goes to the working directory, never to the root.
  std::string runDirectory_ = ".";

  mutable std::mutex jobsMutex_;
  std::vector<std::thread> jobs_;
  int jobsStarted_ = 0;
};

}  // namespace tevrin
