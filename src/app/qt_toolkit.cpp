#include "app/qt_toolkit.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "app/program_directory.h"
#include "text/code_page.h"

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace tevrin {

// What outlives the toolkit: the window's close signal and the message boxes of jobs hold it.
struct QtToolkit::Shared {
  std::atomic<bool> closed = false;
  std::mutex boxMutex;
  std::condition_variable boxClosed;
};

namespace {

QString ToDisplay(const Text& text) {
  return QString::fromStdString(GbkToDisplayUtf8(text));
}
Text FromDisplay(const QString& text) {
  return Utf8ToGbk(text.toStdString());
}

// A blocking queued call hands over through Qt's own semaphore, which ThreadSanitizer cannot see
// in a Qt not built with it (QTBUG-37402). These mark the two edges the call guarantees: what the
// caller wrote before the call is seen by the work, and what the work wrote is seen by the caller
// after it.
void HandOver([[maybe_unused]] void* token) {
#if defined(__SANITIZE_THREAD__)
  __tsan_release(token);
#endif
}
void TakeOver([[maybe_unused]] void* token) {
#if defined(__SANITIZE_THREAD__)
  __tsan_acquire(token);
#endif
}

// Runs `work` on the window thread and returns once it has run; does nothing once closed.
// Never a blocking queued call from the window thread to itself, which would wait forever.
template <typename Work>
void OnWindow(QtMainWindow& window, const std::atomic<bool>& closed, Work work) {
  if (closed.load()) return;
  if (QThread::currentThread() == window.thread()) {
    work();
    return;
  }
  char token = 0;
  HandOver(&token);
  QMetaObject::invokeMethod(
      &window,
      [&] {
        TakeOver(&token);
        if (!closed.load()) work();
        HandOver(&token);
      },
      Qt::BlockingQueuedConnection);
  TakeOver(&token);
}

// The same for a value: `fallback` once closed.
template <typename Result, typename Work>
Result ValueOnWindow(QtMainWindow& window, const std::atomic<bool>& closed, Result fallback,
                     Work work) {
  Result result = std::move(fallback);
  OnWindow(window, closed, [&] { result = work(); });
  return result;
}

}  // namespace

QtToolkit::QtToolkit(QtMainWindow& window, std::string runDirectory)
    : window_(window), shared_(std::make_shared<Shared>()), runDirectory_(std::move(runDirectory)) {
  QObject::connect(&window, &QtMainWindow::Closed, &window, [shared = shared_] {
    std::lock_guard lock(shared->boxMutex);
    shared->closed = true;
    shared->boxClosed.notify_all();
  });
}

QtToolkit::~QtToolkit() {
  Close();
}

void QtToolkit::Close() {
  std::lock_guard lock(shared_->boxMutex);
  shared_->closed = true;
  shared_->boxClosed.notify_all();
}

bool QtToolkit::IsClosed() const {
  return shared_->closed.load();
}

void QtToolkit::ShowPage(int page) {
  OnWindow(window_, shared_->closed, [&] { window_.ShowPage(page); });
}

int QtToolkit::ReadChoice(Control control) {
  if (control != Control::组合框1) return -1;
  return ValueOnWindow(window_, shared_->closed, -1, [&] { return window_.Choice(); });
}

Text QtToolkit::ReadText(Control editBox) {
  return FromDisplay(ValueOnWindow(window_, shared_->closed, QString(),
                                   [&] { return window_.ReadText(editBox); }));
}

void QtToolkit::SetText(Control editBox, const Text& text) {
  const QString shown = ToDisplay(text);
  OnWindow(window_, shared_->closed, [&] { window_.SetText(editBox, shown); });
}

void QtToolkit::SetLabel(Control label, const Text& text) {
  const QString shown = ToDisplay(text);
  OnWindow(window_, shared_->closed, [&] { window_.SetLabel(label, shown); });
}

void QtToolkit::Enable(Control button, bool enabled) {
  OnWindow(window_, shared_->closed, [&] { window_.Enable(button, enabled); });
}

void QtToolkit::SetCaption(Control button, const Text& caption) {
  const QString shown = ToDisplay(caption);
  OnWindow(window_, shared_->closed, [&] { window_.SetCaption(button, shown); });
}

void QtToolkit::DeleteAllRows(Control list) {
  OnWindow(window_, shared_->closed, [&] {
    if (QtListView* view = window_.List(list)) view->rows().Clear();
  });
}

int QtToolkit::InsertRow(Control list, const std::optional<Text>& column0) {
  const bool fromJob = QThread::currentThread() != window_.thread();
  return ValueOnWindow(window_, shared_->closed, -1, [&] {
    QtListView* view = window_.List(list);
    if (view == nullptr) return -1;
    const Text first = column0.value_or(Text());
    return fromJob ? view->AppendStreamedRow(first) : view->rows().AppendRow(first);
  });
}

void QtToolkit::SetCell(Control list, int row, int column, const Text& text) {
  const bool fromJob = QThread::currentThread() != window_.thread();
  OnWindow(window_, shared_->closed, [&] {
    QtListView* view = window_.List(list);
    if (view == nullptr) return;
    if (fromJob) {
      view->SetStreamedCell(row, column, text);
    } else {
      view->rows().SetCell(row, column, text);
    }
  });
}

Text QtToolkit::ReadCell(Control list, int row, int column) {
  return ValueOnWindow(window_, shared_->closed, Text(), [&] {
    const QtListView* view = window_.List(list);
    return view == nullptr ? Text() : view->rows().Cell(row, column);
  });
}

int QtToolkit::SelectedRow(Control list) {
  return ValueOnWindow(window_, shared_->closed, -1, [&] {
    const QtListView* view = window_.List(list);
    return view == nullptr ? -1 : view->SelectedRow();
  });
}

void QtToolkit::MessageBox(const Text& text, const std::optional<Text>& title) {
  static const Text kDefaultTitle = Gbk(u8"信息：");
  const QString shownText = ToDisplay(text);
  const QString shownTitle = ToDisplay(title.value_or(kDefaultTitle));
  if (shared_->closed.load()) return;

  if (QThread::currentThread() == window_.thread()) {
    QMessageBox box(QMessageBox::NoIcon, shownTitle, shownText, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    return;
  }

  // From a job: the box lives on the window thread without an owner and without modality, so
  // the window stays usable; only this job waits for it.
  auto done = std::make_shared<bool>(false);
  const std::shared_ptr<Shared> shared = shared_;
  OnWindow(window_, shared->closed, [&] {
    auto* box = new QMessageBox(QMessageBox::NoIcon, shownTitle, shownText, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    QObject::connect(box, &QMessageBox::finished, box, [shared, done] {
      std::lock_guard lock(shared->boxMutex);
      *done = true;
      shared->boxClosed.notify_all();
    });
    // The box goes with the window, so nothing of the program stays on screen after it.
    QObject::connect(&window_, &QtMainWindow::Closed, box, &QWidget::close);
    box->show();
  });
  std::unique_lock lock(shared->boxMutex);
  shared->boxClosed.wait(lock, [&] { return *done || shared->closed.load(); });
}

void QtToolkit::ProcessEvents() {
  if (shared_->closed.load()) return;
  if (QThread::currentThread() == window_.thread()) QCoreApplication::processEvents();
}

void QtToolkit::StartJob(std::function<void(int)> routine, int argument) {
  std::thread([routine = std::move(routine), argument] { routine(argument); }).detach();
}

std::string QtToolkit::RunDirectory() {
  return runDirectory_.empty() ? ProgramDirectory() : runDirectory_;
}

}  // namespace tevrin
