// The record marker: fourteen bytes, twelve fixed and two codes. This is
// its one definition; every matcher, the hex-text finder, the generators and
// the tests' builders take it from here. No dependencies, so that the
// generators can build on their own.
#pragma once

#include <cstdint>

namespace records {

// 04 00 ?? 00 00 00 04 00 ?? 00 00 00 08 00; ?? are the two codes.
inline constexpr int kMarkerSize = 14;
inline constexpr uint8_t RecordMarker[kMarkerSize] = {0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04,
                                                      0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00};
// Offsets of the precision and type codes, which may hold anything.
inline constexpr int kPrecisionCodeAt = 2;
inline constexpr int kTypeCodeAt = 8;

constexpr bool IsMarkerCode(int k) { return k == kPrecisionCodeAt || k == kTypeCodeAt; }

// The twelve fixed bytes at p (p must have kMarkerSize readable bytes).
constexpr bool IsMarkerAt(const uint8_t* p) {
  for (int k = 0; k < kMarkerSize; ++k)
    if (!IsMarkerCode(k) && p[k] != RecordMarker[k]) return false;
  return true;
}

}  // namespace records
