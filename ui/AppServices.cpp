#include "AppServices.h"

#include <cassert>

#include "records/Results.h"

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

std::string AppServices::ExportText(int i) const {
  if (i < 0 || i >= static_cast<int>(Pressepapier.size())) return {};
  // Written out once, the header already in front while a run goes on.
  return Pressepapier.view(static_cast<size_t>(i)).withHeader();
}
