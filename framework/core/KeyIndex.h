// Store rows counted by the texts of two of their cells: the exact-match
// index a list keeps over two columns, so that "does a row hold these two
// texts?" costs O(1) however many rows there are.
//
// Entries are split over many small tables by the top bits of their hash,
// each grown on its own: a growth step moves a few thousand entries, never
// the whole index. Entries name store rows, whose cells never change, so an
// entry's key stays what it was when it went in.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "RowStore.h"

namespace fw {

class KeyIndex {
 public:
  // Over cells a and b of the rows of `store`, which must outlive the index.
  KeyIndex(const RowStore& store, int a, int b) : store_(store), a_(a), b_(b) {}

  bool holds(std::string_view a, std::string_view b) const;
  // Counts `row` in; with `onlyNew`, only when no row of its key is counted
  // (false then, and nothing counted). The allocation it may need happens
  // before anything changes.
  bool add(RowStore::Id row, bool onlyNew);
  void remove(RowStore::Id row);

 private:
  static uint32_t hash(std::string_view a, std::string_view b);
  static constexpr RowStore::Id kEmpty = 0xFFFFFFFF, kDeleted = 0xFFFFFFFE;
  struct Entry {
    uint32_t hash = 0;
    RowStore::Id row = kEmpty;
    uint32_t count = 0;
  };
  struct Shard {
    std::vector<Entry> table;
    size_t filled = 0;  // table not empty, deleted ones included
  };
  // The entry of this key, or the slot where it would go (the first deleted
  // one met, else the empty one that ends the probe).
  size_t find(const Shard& s, uint32_t h, std::string_view a, std::string_view b) const;
  static void grow(Shard& s);

  const RowStore& store_;
  int a_, b_;
  std::array<Shard, 256> shards_;
};

}  // namespace fw
