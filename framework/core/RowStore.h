// Rows of text cells written once and read many times: every row's cells
// packed one after the other in large blocks, a row known by its number.
// A million rows cost their text and a few bytes each, and adding one never
// moves the rows before it: nothing grows in one large step.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ChunkedVector.h"

namespace fw {

class RowStore {
 public:
  using Id = uint32_t;
  explicit RowStore(int columns) : columns_(columns) {}
  size_t size() const { return offsets_.size(); }

  // Stores a row, a cell for each column (cell(c) gives column c), and returns
  // its number. Nothing is changed when an allocation fails.
  template <class CellFn>
  Id append(CellFn&& cell) {
    size_t bytes = 0;
    for (int c = 0; c < columns_; ++c) bytes += lengthBytes(cell(c).size()) + cell(c).size();
    char* at = room(bytes);
    for (int c = 0; c < columns_; ++c) {
      const std::string_view t = cell(c);
      at = putLength(at, t.size());
      at = std::copy(t.begin(), t.end(), at);
    }
    return commit(bytes);
  }
  std::string_view cell(Id row, int column) const;
  // Makes room for n more rows in the row table.
  void reserveRows(size_t n) { offsets_.reserveMore(n); }

 private:
  static size_t lengthBytes(size_t n) {
    size_t k = 1;
    while (n > 0x7F) n >>= 7, ++k;
    return k;
  }
  static char* putLength(char* at, size_t n) {
    do {
      *at++ = static_cast<char>((n & 0x7F) | (n > 0x7F ? 0x80 : 0));
      n >>= 7;
    } while (n);
    return at;
  }
  // Where the next row's `bytes` go, in the last block or a new one.
  char* room(size_t bytes);
  Id commit(size_t bytes);

  static constexpr size_t kBlock = size_t{4} << 20;
  int columns_;
  struct Block {
    std::unique_ptr<char[]> data;
    size_t used = 0, size = 0;
  };
  std::vector<Block> blocks_;
  // Block number in the top 24 bits, offset in the block in the low 40.
  ChunkedVector<uint64_t> offsets_;
};

}  // namespace fw
