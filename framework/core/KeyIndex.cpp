#include "KeyIndex.h"

#include <algorithm>

namespace fw {

uint32_t KeyIndex::hash(std::string_view a, std::string_view b) {
  // FNV-1a over the first text's length, then both texts.
  uint64_t h = 1469598103934665603ull;
  auto mix = [&h](unsigned char c) { h = (h ^ c) * 1099511628211ull; };
  for (size_t n = a.size();; n >>= 8) {
    mix(static_cast<unsigned char>(n & 0xFF));
    if (n <= 0xFF) break;
  }
  for (char c : a) mix(static_cast<unsigned char>(c));
  for (char c : b) mix(static_cast<unsigned char>(c));
  return static_cast<uint32_t>(h ^ (h >> 32));
}

bool KeyIndex::holds(std::string_view a, std::string_view b) const {
  const uint32_t h = hash(a, b);
  const Shard& s = shards_[h >> 24];
  return !s.table.empty() && s.table[find(s, h, a, b)].count > 0;
}

bool KeyIndex::add(RowStore::Id row, bool onlyNew) {
  const std::string_view a = store_.cell(row, a_), b = store_.cell(row, b_);
  const uint32_t h = hash(a, b);
  Shard& s = shards_[h >> 24];
  if (s.table.empty() || (s.filled + 1) * 4 > s.table.size() * 3) grow(s);
  Entry& e = s.table[find(s, h, a, b)];
  if (e.count > 0) {
    if (onlyNew) return false;
    ++e.count;
    return true;
  }
  if (e.row == kEmpty) ++s.filled;
  e = {h, row, 1};
  return true;
}

void KeyIndex::remove(RowStore::Id row) {
  const std::string_view a = store_.cell(row, a_), b = store_.cell(row, b_);
  const uint32_t h = hash(a, b);
  Shard& s = shards_[h >> 24];
  if (s.table.empty()) return;
  Entry& e = s.table[find(s, h, a, b)];
  if (e.count > 0 && --e.count == 0) e.row = kDeleted;
}

size_t KeyIndex::find(const Shard& s, uint32_t h, std::string_view a, std::string_view b) const {
  const size_t mask = s.table.size() - 1;
  size_t free = SIZE_MAX;
  for (size_t i = h & mask;; i = (i + 1) & mask) {
    const Entry& e = s.table[i];
    if (e.row == kEmpty) return free != SIZE_MAX ? free : i;
    if (e.count == 0) {
      if (free == SIZE_MAX) free = i;
    } else if (e.hash == h && store_.cell(e.row, a_) == a && store_.cell(e.row, b_) == b) {
      return i;
    }
  }
}

void KeyIndex::grow(Shard& s) {
  size_t live = 0;
  for (const Entry& e : s.table) live += e.count > 0;
  std::vector<Entry> bigger(std::max<size_t>(16, s.table.size() * (live * 2 > s.table.size() ? 2 : 1)));
  const size_t mask = bigger.size() - 1;
  for (const Entry& e : s.table) {
    if (e.count == 0) continue;
    size_t i = e.hash & mask;
    while (bigger[i].row != kEmpty) i = (i + 1) & mask;
    bigger[i] = e;
  }
  s.table = std::move(bigger);
  s.filled = live;
}

}  // namespace fw
