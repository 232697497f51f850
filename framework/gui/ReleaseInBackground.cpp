#include "ReleaseInBackground.h"

#include <QThreadPool>

namespace fw {

void ReleaseInBackground(std::shared_ptr<void> p) {
  if (!p) return;
  QThreadPool::globalInstance()->start([p = std::move(p)]() mutable { p.reset(); });
}

}  // namespace fw
