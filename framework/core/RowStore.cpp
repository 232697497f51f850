#include "RowStore.h"

#include <algorithm>

namespace fw {

char* RowStore::room(size_t bytes) {
  offsets_.reserveMore(1);
  if (blocks_.empty() || blocks_.back().size - blocks_.back().used < bytes) {
    if (blocks_.size() == blocks_.capacity()) blocks_.reserve(std::max<size_t>(64, 2 * blocks_.size()));
    const size_t size = std::max(kBlock, bytes);
    blocks_.push_back({std::make_unique_for_overwrite<char[]>(size), 0, size});
  }
  return blocks_.back().data.get() + blocks_.back().used;
}

RowStore::Id RowStore::commit(size_t bytes) {
  Block& b = blocks_.back();
  offsets_.push_back((static_cast<uint64_t>(blocks_.size() - 1) << 40) | b.used);
  b.used += bytes;
  return static_cast<Id>(offsets_.size() - 1);
}

std::string_view RowStore::cell(Id row, int column) const {
  if (row >= offsets_.size() || column < 0 || column >= columns_) return {};
  const uint64_t where = offsets_[row];
  const char* at = blocks_[where >> 40].data.get() + (where & ((uint64_t{1} << 40) - 1));
  for (int c = 0;; ++c) {
    size_t n = 0;
    for (int shift = 0;; shift += 7) {
      const auto b = static_cast<uint8_t>(*at++);
      n |= static_cast<size_t>(b & 0x7F) << shift;
      if (!(b & 0x80)) break;
    }
    if (c == column) return {at, n};
    at += n;
  }
}

}  // namespace fw
