#pragma once

// One QApplication for the span of a test, on the offscreen platform unless another is chosen.

#include <QApplication>
#include <cstdlib>

namespace tevrin {

class QtTestApp {
 private:
  static char* OffscreenUnlessChosen(char* name) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return name;
  }

  char name_[12] = "tevrin-test";
  int argc_ = 1;
  char* argv_[2] = {OffscreenUnlessChosen(name_), nullptr};
  QApplication application_{argc_, argv_};
};

}  // namespace tevrin
