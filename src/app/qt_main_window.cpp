#include "app/qt_main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>

#include "app/control.h"
#include "app/window_layout.h"

namespace tevrin {

namespace {

QString FromUtf8(const char8_t* text) {
  return QString::fromUtf8(reinterpret_cast<const char*>(text));
}

void BlackOnWhite(QWidget* widget) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Text, Qt::black);
  widget->setPalette(palette);
}

// The windows' line breaks are CR LF; the editor keeps bare LF.
QString ToEditor(QString text) {
  return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
QString FromEditor(QString text) {
  return text.replace(QChar('\n'), QStringLiteral("\r\n"));
}

}  // namespace

QtMainWindow::QtMainWindow(EventSink sink, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      sink_(std::move(sink)) {
  setWindowTitle(FromUtf8(WindowTitle()));
  setFixedSize(kWindowWidth, kWindowHeight);
  Build();
  ShowPage(0);
}

template <typename W>
W* QtMainWindow::Place(W* widget, Control control) {
  const ControlLayout& layout = LayoutOf(control);
  widget->setObjectName(FromUtf8(layout.name));
  widget->setGeometry(layout.x, layout.y, layout.width, layout.height);
  if (layout.fontPixels > 0) {
    QFont font = widget->font();
    font.setPixelSize(layout.fontPixels);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    widget->setFont(font);
  }
  widgets_[control] = widget;
  if (layout.page >= 0) {
    pageControls_.emplace_back(widget, layout.page);
    widget->raise();
  }
  return widget;
}

void QtMainWindow::Build() {
  auto* bookName = Place(new QLineEdit(this), Control::编辑框_书名);
  BlackOnWhite(bookName);

  Place(new QPushButton(this), Control::按钮_搜索);

  siteChoice_ = Place(new QComboBox(this), Control::组合框1);
  siteChoice_->setEditable(true);
  siteChoice_->setInsertPolicy(QComboBox::NoInsert);
  for (const char8_t* item : SiteChoices()) siteChoice_->addItem(FromUtf8(item));
  siteChoice_->setCurrentIndex(0);
  siteChoice_->view()->setMinimumHeight(160 - LayoutOf(Control::组合框1).height);
  connect(siteChoice_, &QComboBox::activated, this,
          [this] { sink_(Control::组合框1, Event::ItemChosen); });

  tabs_ = Place(new QTabWidget(this), Control::选择夹1);
  for (const char8_t* title : PageTitles()) tabs_->addTab(new QWidget, FromUtf8(title));
  connect(tabs_, &QTabWidget::currentChanged, this, &QtMainWindow::ShowControlsOfPage);

  // Page controls are children of the tab control itself, placed relative to it as the layout
  // gives them, and shown only with their page.
  Place(new QtTransparentLabel(false, tabs_), Control::透明标签2);
  auto* books =
      Place(new QtListView(ColumnsOf(Control::超级列表框1), false, tabs_), Control::超级列表框1);
  connect(books, &QtListView::DoubleClicked, this,
          [this] { sink_(Control::超级列表框1, Event::DoubleClicked); });
  auto* hint = Place(new QLabel(tabs_), Control::标签1);
  hint->setTextFormat(Qt::PlainText);
  hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  Place(new QtTransparentLabel(true, tabs_), Control::透明标签_文章);
  auto* chapters =
      Place(new QtListView(ColumnsOf(Control::超级列表框2), true, tabs_), Control::超级列表框2);
  connect(chapters, &QtListView::DoubleClicked, this,
          [this] { sink_(Control::超级列表框2, Event::DoubleClicked); });
  Place(new QPushButton(tabs_), Control::按钮1);

  Place(new QtTransparentLabel(false, tabs_), Control::透明标签_章节名称);
  auto* chapterText = Place(new QPlainTextEdit(tabs_), Control::编辑框1);
  chapterText->setFrameStyle(QFrame::Box | QFrame::Plain);
  chapterText->setLineWidth(1);
  chapterText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  chapterText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  chapterText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  BlackOnWhite(chapterText);
  Place(new QPushButton(tabs_), Control::按钮_上一章);
  Place(new QPushButton(tabs_), Control::按钮_上一章1);
  Place(new QPushButton(tabs_), Control::按钮_下一章);

  for (const ControlLayout& layout : WindowLayout()) {
    const QString text = FromUtf8(layout.startText);
    switch (layout.kind) {
      case ControlKind::Button: {
        auto* button = static_cast<QPushButton*>(widgets_[layout.control]);
        button->setText(text);
        const Control control = layout.control;
        connect(button, &QPushButton::clicked, this,
                [this, control] { sink_(control, Event::Clicked); });
        break;
      }
      case ControlKind::TransparentLabel:
      case ControlKind::Label:
        SetLabel(layout.control, text);
        break;
      default:
        break;
    }
  }
}

void QtMainWindow::Open() {
  show();
}

void QtMainWindow::FitOuterSize() {
  const QSize extra = frameGeometry().size() - geometry().size();
  if (extra == frameExtra_) return;
  frameExtra_ = extra;
  setFixedSize(QSize(kWindowWidth, kWindowHeight) - extra);
  if (const QScreen* shown = screen()) {
    const QRect available = shown->availableGeometry();
    move(available.center() - QPoint(kWindowWidth / 2, kWindowHeight / 2));
  }
}

void QtMainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FitOuterSize();
}

bool QtMainWindow::event(QEvent* event) {
  // The window manager adds its frame after the window is shown; the first move or resize
  // after that is when its size becomes known.
  const bool handled = QWidget::event(event);
  if (event->type() == QEvent::Move || event->type() == QEvent::WinIdChange) {
    FitOuterSize();
  }
  return handled;
}

void QtMainWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  emit Closed();
}

void QtMainWindow::ShowPage(int page) {
  tabs_->setCurrentIndex(std::clamp(page, 0, kPageCount - 1));
  ShowControlsOfPage(tabs_->currentIndex());
}

int QtMainWindow::Page() const {
  return tabs_->currentIndex();
}

void QtMainWindow::ShowControlsOfPage(int page) {
  for (const auto& [widget, onPage] : pageControls_) widget->setVisible(onPage == page);
}

int QtMainWindow::Choice() const {
  return siteChoice_->currentIndex();
}

QString QtMainWindow::ReadText(Control editBox) const {
  QWidget* widget = Widget(editBox);
  if (auto* line = qobject_cast<QLineEdit*>(widget)) return line->text();
  if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) return FromEditor(text->toPlainText());
  if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->currentText();
  return QString();
}

void QtMainWindow::SetText(Control editBox, const QString& text) {
  QWidget* widget = Widget(editBox);
  if (auto* line = qobject_cast<QLineEdit*>(widget)) {
    line->setText(text);
  } else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
    edit->setPlainText(ToEditor(text));
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    combo->setEditText(text);
  }
}

void QtMainWindow::SetLabel(Control label, const QString& text) {
  QWidget* widget = Widget(label);
  if (auto* transparent = qobject_cast<QtTransparentLabel*>(widget)) {
    transparent->setText(text);
  } else if (auto* plain = qobject_cast<QLabel*>(widget)) {
    plain->setText(text);
  }
}

void QtMainWindow::Enable(Control button, bool enabled) {
  if (auto* widget = qobject_cast<QPushButton*>(Widget(button))) widget->setEnabled(enabled);
}

void QtMainWindow::SetCaption(Control button, const QString& caption) {
  if (auto* widget = qobject_cast<QPushButton*>(Widget(button))) widget->setText(caption);
}

QtListView* QtMainWindow::List(Control list) const {
  return qobject_cast<QtListView*>(Widget(list));
}

QWidget* QtMainWindow::Widget(Control control) const {
  const auto found = widgets_.find(control);
  return found == widgets_.end() ? nullptr : found->second;
}

}  // namespace tevrin
