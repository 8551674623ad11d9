#pragma once

// A label that paints nothing but its text: black, on one line, centred both ways, an
// ampersand shown as itself. With a shadow it paints the text in white first and then in black
// one pixel right and down.

#include <QString>
#include <QWidget>

namespace tevrin {

class QtTransparentLabel : public QWidget {
  Q_OBJECT

 public:
  explicit QtTransparentLabel(bool shadow, QWidget* parent = nullptr);

  QString text() const { return text_; }
  void setText(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool shadow_;
  QString text_;
};

}  // namespace tevrin
