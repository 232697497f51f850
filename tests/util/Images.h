// Builders of small card images for the core tests, and the one
// byte-by-byte marker oracle that the tests check the searches against.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "recordgen.h"
#include "records/Marker.h"
#include "records/Record.h"

namespace testutil {

inline std::string zeros(int64_t n) { return std::string(static_cast<size_t>(n), '\0'); }

inline void putMarker(std::string& img, int64_t at, uint8_t prec = 3, uint8_t type = 5) {
  const std::string m = recordgen::markerBytes(prec, type);
  std::copy(m.begin(), m.end(), img.begin() + at);
}

// Every marker position, tested byte by byte over the whole image.
inline std::vector<int64_t> markerOracle(std::string_view img) {
  std::vector<int64_t> out;
  for (size_t p : recordgen::markerPositions(img)) out.push_back(static_cast<int64_t>(p));
  return out;
}

// The first marker at or after `start`, or the size + 1.
inline int64_t nextMarkerOracle(std::string_view img, int64_t start) {
  for (int64_t p : markerOracle(img))
    if (p >= start) return p;
  return static_cast<int64_t>(img.size()) + 1;
}

// Dense markers, near misses and overlapping candidates everywhere.
inline std::string dense(int64_t size, uint64_t seed) {
  std::string img(static_cast<size_t>(size), '\0');
  uint64_t s = seed;
  auto next = [&s] {
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    return s >> 33;
  };
  std::string nearMiss = recordgen::markerBytes(0, 0);
  nearMiss[12] = 9;
  for (int64_t i = 0; i + records::kMarkerSize <= size;) {
    const uint64_t r = next() % 8;
    if (r == 0) putMarker(img, i, static_cast<uint8_t>(next()), static_cast<uint8_t>(next()));
    else if (r == 1) std::copy(nearMiss.begin(), nearMiss.end(), img.begin() + i);
    else if (r == 2) img[static_cast<size_t>(i)] = 4;
    i += 1 + static_cast<int64_t>(next() % 40);
  }
  return img;
}

// A full record whose first longitude tells where it lies; what would lie
// past the image's end is left out.
inline void putRecord(std::string& img, int64_t at, const std::string& addr1) {
  const std::string r = recordgen::encodeRecord({3, 5, static_cast<int32_t>(at), 0, 0, 0, addr1, "", ""});
  const size_t fits = std::min(r.size(), img.size() - static_cast<size_t>(at));
  std::copy(r.begin(), r.begin() + static_cast<std::ptrdiff_t>(fits), img.begin() + at);
}
inline std::string lon(int64_t at) { return records::CoordinateText(static_cast<int32_t>(at)); }

}  // namespace testutil
