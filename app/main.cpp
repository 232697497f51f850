#include <QApplication>

#include "Startup.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setApplicationName("Gravelin");
  // Closing the main window, the last one, ends the program: nothing is
  // left to act on.
  QApplication::setQuitOnLastWindowClosed(true);
  return RunEventLoop();
}
