// The application object and the main window, set up once here for the
// window tests: a test class holds a GuiFixture instead of making them
// itself. Tests of the program's own start-up (Startup, RunEventLoop) do
// not use it: that way of starting is what they check.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <initializer_list>
#include <memory>
#include <vector>

#include "app/App.h"
#include "records/Record.h"
#include "records/Results.h"
#include "run_state.h"
#include "ui/Window2.h"

namespace testing_gui {

// Closes the main window, if one is open, and lets Qt delete it.
inline void CloseMainWindow() {
  if (Window2::isOpen()) Window2::instance()->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// AppT is the application object's class: a test may give it a version of
// its own choosing.
template <class AppT = App>
class GuiFixture {
 public:
  // As start-up does: the application object, the main window, then the
  // application's Open event.
  GuiFixture() { Start(); }
  GuiFixture(const GuiFixture&) = delete;
  GuiFixture& operator=(const GuiFixture&) = delete;

  AppT& app() { return *app_; }
  // The open main window, or a new one built and shown.
  Window2* window() const { return Window2::instance(); }
  // A new main window as it first opens, and both export texts empty: what
  // earlier tests did to the window is gone.
  Window2* freshWindow() {
    CloseMainWindow();
    app_->Pressepapier = {"", ""};
    return Window2::instance();
  }
  // Start-up over again, with a new application object.
  void restart() {
    CloseMainWindow();
    Start();
  }

 private:
  void Start() {
    app_ = std::make_unique<AppT>();
    Window2::instance();
    app_->Event_Open();
  }

  std::unique_ptr<AppT> app_;
};

// A state that no run leaves, for a test to check what a run changes: the
// results reset, then `found` as a closed run's results (rows, captions,
// both export texts), then a details panel of its own.
inline RunState DirtyState(std::initializer_list<records::RecordTexts> found) {
  App::instance().NameTab(0);
  const std::vector<records::RecordTexts> rs(found);
  records::ajoutePoints(Window2::instance()->Results(), rs);
  records::ClosingStep(Window2::instance()->Results());
  Window2::instance()->ShowRecord(Texts({"a", "b", "c", "d", "e", "f", "g", "h", "i"}));
  return Capture();
}

}  // namespace testing_gui
