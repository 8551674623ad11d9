#include "app/qt_transparent_label.h"

#include <QPainter>

namespace tevrin {

QtTransparentLabel::QtTransparentLabel(bool shadow, QWidget* parent)
    : QWidget(parent), shadow_(shadow) {
  setAutoFillBackground(false);
  // Labels overlap the tab bar and the lists; clicks must reach what lies below.
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void QtTransparentLabel::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  update();
}

void QtTransparentLabel::paintEvent(QPaintEvent*) {
  if (text_.isEmpty()) return;
  QPainter painter(this);
  painter.setFont(font());
  // No Qt::TextShowMnemonic: "&" stays a visible ampersand.
  constexpr int kFlags = Qt::AlignCenter | Qt::TextSingleLine;
  if (shadow_) {
    painter.setPen(Qt::white);
    painter.drawText(rect(), kFlags, text_);
    painter.setPen(Qt::black);
    painter.drawText(rect().translated(1, 1), kFlags, text_);
  } else {
    painter.setPen(Qt::black);
    painter.drawText(rect(), kFlags, text_);
  }
}

}  // namespace tevrin
