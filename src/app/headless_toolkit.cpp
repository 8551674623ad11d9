#include "app/headless_toolkit.h"

#include <algorithm>
#include <utility>

#include "app/window_layout.h"
#include "text/code_page.h"

namespace tevrin {

HeadlessToolkit::HeadlessToolkit() {
  for (const ControlLayout& entry : WindowLayout()) {
    texts_[entry.control] = Gbk(entry.startText);
    enabled_[entry.control] = true;
  }
  books_.columns = static_cast<int>(ColumnsOf(Control::超级列表框1).size());
  chapters_.columns = static_cast<int>(ColumnsOf(Control::超级列表框2).size());
}

HeadlessToolkit::~HeadlessToolkit() {
  WaitForJobs();
}

HeadlessToolkit::List* HeadlessToolkit::FindList(Control list) {
  switch (list) {
    case Control::超级列表框1:
      return &books_;
    case Control::超级列表框2:
      return &chapters_;
    default:
      return nullptr;
  }
}

const HeadlessToolkit::List* HeadlessToolkit::FindList(Control list) const {
  return const_cast<HeadlessToolkit*>(this)->FindList(list);
}

void HeadlessToolkit::ShowPage(int page) {
  std::lock_guard lock(mutex_);
  page_ = std::clamp(page, 0, kPageCount - 1);
}

int HeadlessToolkit::ReadChoice(Control control) {
  std::lock_guard lock(mutex_);
  return control == Control::组合框1 ? choice_ : -1;
}

Text HeadlessToolkit::ReadText(Control editBox) {
  return Label(editBox);
}

void HeadlessToolkit::SetText(Control editBox, const Text& text) {
  std::lock_guard lock(mutex_);
  texts_[editBox] = text;
}

void HeadlessToolkit::SetLabel(Control label, const Text& text) {
  std::lock_guard lock(mutex_);
  texts_[label] = text;
}

void HeadlessToolkit::Enable(Control button, bool enabled) {
  std::lock_guard lock(mutex_);
  enabled_[button] = enabled;
}

void HeadlessToolkit::SetCaption(Control button, const Text& caption) {
  std::lock_guard lock(mutex_);
  texts_[button] = caption;
}

void HeadlessToolkit::DeleteAllRows(Control list) {
  std::lock_guard lock(mutex_);
  if (List* found = FindList(list)) {
    found->rows.clear();
    found->selected = -1;
  }
}

int HeadlessToolkit::InsertRow(Control list, const std::optional<Text>& column0) {
  std::lock_guard lock(mutex_);
  List* found = FindList(list);
  if (found == nullptr) return -1;
  std::vector<Text> row(static_cast<std::size_t>(found->columns));
  if (column0) row.front() = *column0;
  found->rows.push_back(std::move(row));
  return static_cast<int>(found->rows.size()) - 1;
}

void HeadlessToolkit::SetCell(Control list, int row, int column, const Text& text) {
  std::lock_guard lock(mutex_);
  List* found = FindList(list);
  if (found == nullptr || row < 0 || row >= static_cast<int>(found->rows.size()) || column < 0 ||
      column >= found->columns) {
    return;
  }
  found->rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
}

Text HeadlessToolkit::ReadCell(Control list, int row, int column) {
  return Cell(list, row, column);
}

int HeadlessToolkit::SelectedRow(Control list) {
  std::lock_guard lock(mutex_);
  const List* found = FindList(list);
  return found == nullptr ? -1 : found->selected;
}

void HeadlessToolkit::MessageBox(const Text& text, const std::optional<Text>& title) {
  static const Text kDefaultTitle = Gbk(u8"信息：");
  Message message{text, title ? *title : kDefaultTitle};
  MessageHook hook;
  {
    std::lock_guard lock(mutex_);
    messages_.push_back(message);
    hook = messageHook_;
  }
  if (hook) hook(message);
}

void HeadlessToolkit::ProcessEvents() {}

void HeadlessToolkit::StartJob(std::function<void(int)> routine, int argument) {
  std::lock_guard lock(jobsMutex_);
  ++jobsStarted_;
  jobs_.emplace_back([routine = std::move(routine), argument] { routine(argument); });
}

std::string HeadlessToolkit::RunDirectory() {
  std::lock_guard lock(mutex_);
  return runDirectory_;
}

void HeadlessToolkit::WaitForJobs() {
  for (;;) {
    std::vector<std::thread> running;
    {
      std::lock_guard lock(jobsMutex_);
      running.swap(jobs_);
    }
    if (running.empty()) return;
    for (std::thread& job : running) job.join();
  }
}

int HeadlessToolkit::JobsStarted() const {
  std::lock_guard lock(jobsMutex_);
  return jobsStarted_;
}

int HeadlessToolkit::Page() const {
  std::lock_guard lock(mutex_);
  return page_;
}

void HeadlessToolkit::SetChoice(int index) {
  std::lock_guard lock(mutex_);
  const int items = static_cast<int>(SiteChoices().size());
  choice_ = index >= 0 && index < items ? index : -1;
  texts_[Control::组合框1] = choice_ < 0 ? Text() : Gbk(SiteChoices()[choice_]);
}

void HeadlessToolkit::SelectRow(Control list, int row) {
  std::lock_guard lock(mutex_);
  if (List* found = FindList(list)) {
    found->selected = row >= 0 && row < static_cast<int>(found->rows.size()) ? row : -1;
  }
}

int HeadlessToolkit::Rows(Control list) const {
  std::lock_guard lock(mutex_);
  const List* found = FindList(list);
  return found == nullptr ? 0 : static_cast<int>(found->rows.size());
}

int HeadlessToolkit::Columns(Control list) const {
  std::lock_guard lock(mutex_);
  const List* found = FindList(list);
  return found == nullptr ? 0 : found->columns;
}

Text HeadlessToolkit::Cell(Control list, int row, int column) const {
  std::lock_guard lock(mutex_);
  const List* found = FindList(list);
  if (found == nullptr || row < 0 || row >= static_cast<int>(found->rows.size()) || column < 0 ||
      column >= found->columns) {
    return Text();
  }
  return found->rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

std::vector<std::vector<Text>> HeadlessToolkit::Table(Control list) const {
  std::lock_guard lock(mutex_);
  const List* found = FindList(list);
  return found == nullptr ? std::vector<std::vector<Text>>() : found->rows;
}

Text HeadlessToolkit::Label(Control control) const {
  std::lock_guard lock(mutex_);
  const auto found = texts_.find(control);
  return found == texts_.end() ? Text() : found->second;
}

Text HeadlessToolkit::Caption(Control button) const {
  return Label(button);
}

bool HeadlessToolkit::IsEnabled(Control button) const {
  std::lock_guard lock(mutex_);
  const auto found = enabled_.find(button);
  return found != enabled_.end() && found->second;
}

std::vector<HeadlessToolkit::Message> HeadlessToolkit::Messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

void HeadlessToolkit::ClearMessages() {
  std::lock_guard lock(mutex_);
  messages_.clear();
}

void HeadlessToolkit::SetMessageHook(MessageHook hook) {
  std::lock_guard lock(mutex_);
  messageHook_ = std::move(hook);
}

void HeadlessToolkit::SetRunDirectory(std::string directory) {
  std::lock_guard lock(mutex_);
  runDirectory_ = std::move(directory);
}

}  // namespace tevrin
