#include "Startup.h"

#include <QApplication>
#include <QPointer>
#include <vector>

#include <cstdio>
#include <cstdlib>

#include "App.h"
#include "MenuBar1.h"
#include "ui/ThreadDD.h"
#include "ui/Window2.h"

namespace {
// How long a stopped scan may take to end at exit: a healthy reader ends
// within one slice read.
constexpr std::chrono::milliseconds kScanGrace{300};
}  // namespace

Startup::Startup() : app_(std::make_unique<App>()) {
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
  int code = 0;
  {
    Startup run;
    code = QApplication::exec();
    // The event loop has ended (quit, the quit item, the window closed).
    // A scan thread still held in a read that hangs in the kernel can be
    // neither joined nor destroyed, and no read returns sooner for being
    // waited for. The program keeps nothing and writes nothing, so nothing
    // is lost by ending the process here without its destructors: the
    // system closes the read-only image and takes the memory back.
    if (!ThreadDD::EndAll(kScanGrace)) {
      std::fflush(nullptr);
      std::_Exit(code);
    }
  }
  return code;
}
