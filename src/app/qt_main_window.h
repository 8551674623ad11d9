#pragma once

// The main window, built from the fixed layout: the search row above the tab control 选择夹1 and
// the controls of its three pages. Each widget's object name is its control's name. The window
// forwards its controls' events to one sink and offers the window-thread side of the toolkit
// operations; QtToolkit brings calls from other threads here.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QWidget>
#include <functional>
#include <map>
#include <vector>

#include "app/control_fwd.h"
#include "app/qt_list_view.h"
#include "app/qt_transparent_label.h"

namespace tevrin {

class QtMainWindow : public QWidget {
  Q_OBJECT

 public:
  using EventSink = std::function<void(Control, Event)>;

  /// Builds every control with its start content, page 0 shown; `sink` receives the events.
  explicit QtMainWindow(EventSink sink, QWidget* parent = nullptr);

  /// Opens the window centred on its screen.
  void Open();

  // Window-thread operations; a control of the wrong kind is left alone and reads as empty.
  void ShowPage(int page);
  int Page() const;
  int Choice() const;
  QString ReadText(Control editBox) const;
  void SetText(Control editBox, const QString& text);
  void SetLabel(Control label, const QString& text);
  void Enable(Control button, bool enabled);
  void SetCaption(Control button, const QString& caption);
  /// The list view of 超级列表框1 or 超级列表框2, nullptr for any other control.
  QtListView* List(Control list) const;
  QWidget* Widget(Control control) const;

 signals:
  /// The user closed the window.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void Build();
  template <typename W>
  W* Place(W* widget, Control control);
  void ShowControlsOfPage(int page);
  /// Keeps the outer size (frame included) at the layout's size once the frame is known.
  void FitOuterSize();

  EventSink sink_;
  std::map<Control, QWidget*> widgets_;
  std::vector<std::pair<QWidget*, int>> pageControls_;
  QTabWidget* tabs_ = nullptr;
  QComboBox* siteChoice_ = nullptr;
  QSize frameExtra_;
};

}  // namespace tevrin
