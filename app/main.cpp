#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "Startup.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setApplicationName("Gravelin");
  // The interface is French, the file dialog and message boxes included.
  QTranslator qtFrench;
  if (qtFrench.load("qtbase_fr", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtFrench);
  // Closing the main window, the last one, ends the program: nothing is
  // left to act on.
  QApplication::setQuitOnLastWindowClosed(true);
  return RunEventLoop();
}
