// Builders of single records' bytes for the decoder tests.
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/MemoryBlock.h"
#include "recordgen.h"

namespace testutil {

inline std::string le32(int32_t v) {
  std::string s;
  recordgen::appendLe32(s, static_cast<uint32_t>(v));
  return s;
}

// A record's bytes: marker with the two codes, four coordinates, then the
// length bytes and address bytes exactly as given, well-formed or not.
inline std::string record(uint8_t prec, uint8_t type, int32_t lon1, int32_t lat1, int32_t lon2, int32_t lat2,
                          const std::string& tail) {
  return recordgen::recordHead(prec, type, lon1, lat1, lon2, lat2) + tail;
}
// One address: its biased length byte, then its bytes.
inline std::string addr(const std::string& bytes) { return recordgen::encodeAddress(bytes); }
inline fw::MemoryBlock block(const std::string& s) { return fw::MemoryBlock::FromBytes(s); }

}  // namespace testutil
