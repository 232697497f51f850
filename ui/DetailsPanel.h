// The details panel of the main window: the names of its nine labels.
#pragma once

#include <array>

#include "records/Record.h"

namespace ui {

// In panel order; label k shows field k of a record, as column k of both
// lists does.
inline constexpr std::array<const char*, records::kFieldCount> kPanelLabels = {
    "PrecisionST", "TypeST",     "Longitude1ST", "Latitude1ST", "Longitude2ST",
    "Latitude2ST", "Adresse1ST", "Adresse2ST",   "Adresse3ST"};

}  // namespace ui
