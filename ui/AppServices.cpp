#include "AppServices.h"

#include <cassert>

namespace {
AppServices* current = nullptr;
}

AppServices& AppServices::instance() {
  assert(current && "the application object is created before any window");
  return *current;
}

AppServices::AppServices() { current = this; }
AppServices::~AppServices() {
  if (current == this) current = nullptr;
}
