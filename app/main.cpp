#include <QApplication>

#include "App.h"
#include "ui/Window2.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  App app;
  Window2::instance();
  app.Event_Open();
  return qt.exec();
}
