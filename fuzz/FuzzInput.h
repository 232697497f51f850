// Small helpers the harnesses share: a few leading bytes of the input pick
// the parameters (offsets, chunk sizes, split points), the rest is the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "framework/core/MemoryBlock.h"

namespace fuzz {

struct Input {
  const uint8_t* p;
  size_t n;
  // The next byte, 0 once the input is used up.
  uint8_t byte() {
    if (n == 0) return 0;
    --n;
    return *p++;
  }
  uint16_t u16() { return static_cast<uint16_t>(byte() | (byte() << 8)); }
  std::string_view rest() const { return {reinterpret_cast<const char*>(p), n}; }
};

// The data as one block, or as two joined blocks cut at `cut` (mod its
// size + 1), so that reads across a segment border are exercised too.
inline fw::MemoryBlock Block(std::string_view data, unsigned cut, bool split) {
  if (!split) return fw::MemoryBlock::FromBytes(data);
  const size_t at = cut % (data.size() + 1);
  return fw::MemoryBlock::FromBytes(data.substr(0, at)) + fw::MemoryBlock::FromBytes(data.substr(at));
}

// A record's buffer and offset from the input: the buffer one block or two,
// the offset mostly near it, sometimes anywhere, negative included.
struct RecordCase {
  fw::MemoryBlock mb;
  int64_t offset;
};
inline RecordCase RecordAt(Input& in) {
  const int16_t rawOffset = static_cast<int16_t>(in.u16());
  const uint8_t cut = in.byte();
  fw::MemoryBlock mb = Block(in.rest(), cut, cut & 1);
  const int64_t offset = (cut & 2) ? rawOffset : rawOffset % (mb.Size() + 40) - 20;
  return {std::move(mb), offset};
}

// A finding: the harness stops with a message libFuzzer keeps as a crash.
#define FUZZ_CHECK(cond)                                                            \
  do {                                                                              \
    if (!(cond)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                 \
    }                                                                               \
  } while (0)

}  // namespace fuzz
