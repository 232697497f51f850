#include "ReleaseInBackground.h"

#include <QThreadPool>
#include <new>

namespace fw {

void ReleaseInBackground(std::shared_ptr<void> p) {
  if (!p) return;
  try {
    QThreadPool::globalInstance()->start([p = std::move(p)]() mutable { p.reset(); });
  } catch (const std::bad_alloc&) {
    // No room to hand it over: it goes here, with the task that held it.
  }
}

}  // namespace fw
