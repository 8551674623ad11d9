// The reader: one window on the built-in sites, run until it is closed.

#include "app/qt_start.h"
#include "app/reader.h"

int main(int argc, char* argv[]) {
  return tevrin::RunReader(argc, argv, tevrin::BuiltInSite1Origin(), tevrin::BuiltInSite2Origin(),
                           "tevrin");
}
