// The program's start-up and shutdown, apart from main() so that they can
// be run and checked as a whole.
#pragma once

#include <memory>

class App;

class Startup {
 public:
  // In this order: the application object, the menu bar (installed for
  // every window), the main window; then the application's Open event.
  Startup();
  // The windows, then the menu bar, then the application object.
  ~Startup();
  Startup(const Startup&) = delete;
  Startup& operator=(const Startup&) = delete;

 private:
  std::unique_ptr<App> app_;
};

// The whole life of the process once Qt is initialised: start-up, the event
// loop until the user quits, shutdown. The loop's result is the exit status.
int RunEventLoop();
