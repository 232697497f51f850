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
  const std::string& t = Pressepapier[static_cast<size_t>(i)];
  // A record line starts with a carriage return; a closed text starts with
  // the header.
  if (!t.empty() && t.front() == '\r') return records::EnteteTabule + t;
  return t;
}
