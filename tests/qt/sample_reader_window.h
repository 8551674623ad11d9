#pragma once

// The real window on the sample sites, wired as the reader wires it, and what the window tests
// do to it the way a person would: choose a site, type a name, click, double-click a row.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <mutex>
#include <optional>
#include <string>

#include "app/control.h"
#include "app/event_table.h"
#include "app/qt_list_view.h"
#include "app/qt_main_window.h"
#include "app/qt_toolkit.h"
#include "app/qt_transparent_label.h"
#include "app/reader.h"
#include "app/reader_state.h"
#include "qt_test_app.h"
#include "samples/sample_sites.h"
#include "support/scratch_directory.h"
#include "text/code_page.h"
#include "web/curl_http_service.h"

namespace tevrin {

/// GBK text as the window shows it.
inline QString Shown(const Text& gbk) {
  return QString::fromStdString(GbkToDisplayUtf8(gbk));
}

class SampleReaderWindow {
 public:
  SampleReaderWindow()
      : window([this](Control control, Event event) {
          if (reader) FireEvent(*reader, control, event);
        }),
        toolkit(window, scratch.path()) {
    reader.emplace(Reader{toolkit, state, http, sites.site1Origin(), sites.site2Origin()});
    window.Open();
  }

  /// True once no job of `kind` holds the window; the window thread may only try the lock.
  bool Idle(ReaderState::Kind kind) {
    std::unique_lock lock(state.WindowWrites(kind), std::try_to_lock);
    return lock.owns_lock();
  }

  /// Chooses the site's item of 组合框1, types `keyword` into 编辑框_书名 (Chinese comes through an
  /// input method, as a commit string) and clicks 搜索资源.
  void Search(int choice, const Text& keyword) {
    auto* edit = qobject_cast<QLineEdit*>(window.Widget(Control::编辑框_书名));
    auto* combo = qobject_cast<QComboBox*>(window.Widget(Control::组合框1));
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(combo, nullptr);
    combo->setCurrentIndex(choice);
    emit combo->activated(choice);
    edit->clear();
    QInputMethodEvent typed;
    typed.setCommitString(Shown(keyword));
    QApplication::sendEvent(edit, &typed);
    EXPECT_EQ(edit->text(), Shown(keyword));
    auto* button = qobject_cast<QPushButton*>(window.Widget(Control::按钮_搜索));
    EXPECT_EQ(button->text(), QString::fromUtf8(u8"搜索资源"));
    QTest::mouseClick(button, Qt::LeftButton);
  }

  void DoubleClickRow(Control list, int row) {
    QtListView* view = window.List(list);
    view->selectRow(row);
    const QRect cell = view->visualRect(view->model()->index(row, 0));
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
  }

  /// The chapter title on show, as GBK.
  Text Title() {
    return Utf8ToGbk(qobject_cast<QtTransparentLabel*>(window.Widget(Control::透明标签_章节名称))
                         ->text()
                         .toStdString());
  }

  QtTestApp app;
  SampleSites sites;
  ReaderState state;
  CurlHttpService http;
  std::optional<Reader> reader;
  QtMainWindow window;
  // The record goes to a directory of this window's own: other window tests run beside it.
  ScratchDirectory scratch;
  QtToolkit toolkit;
};

}  // namespace tevrin
