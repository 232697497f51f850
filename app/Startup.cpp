#include "Startup.h"

#include <QApplication>
#include <QPointer>
#include <vector>

#include "App.h"
#include "MenuBar1.h"
#include "framework/gui/Seams.h"
#include "ui/Window2.h"

Startup::Startup() : app_(std::make_unique<App>()) {
  // An examiner's machine keeps no trace of the case: no settings, no
  // dialog history, nothing under HOME.
  fw::KeepNoSettings();
  fw::MenuBar::SetApplicationMenuBar(MenuBar1::instance());
  Window2::instance();
  app_->Event_Open();
}

Startup::~Startup() {
  // Deleting one window may take others with it: hold them by guarded
  // pointers.
  std::vector<QPointer<fw::Window>> windows;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* fw = qobject_cast<fw::Window*>(w)) windows.emplace_back(fw);
  for (const auto& w : windows) delete w.data();
  MenuBar1::release();
  app_.reset();
}

int RunEventLoop() {
  Startup run;
  return QApplication::exec();
}
