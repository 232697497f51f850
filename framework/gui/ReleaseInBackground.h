// Letting go of a million rows must not hold the window: what is no longer
// shown is freed on a worker thread.
#pragma once

#include <memory>

namespace fw {

// Hands what `p` holds to a worker thread to be freed there, or frees it
// here when there is no room to hand it over. Never throws.
void ReleaseInBackground(std::shared_ptr<void> p);

}  // namespace fw
