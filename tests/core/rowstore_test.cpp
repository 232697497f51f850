#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/RowStore.h"

using fw::RowStore;

namespace {
RowStore::Id add(RowStore& s, const std::vector<std::string>& cells) {
  return s.append([&](int c) { return std::string_view(cells[static_cast<size_t>(c)]); });
}
}  // namespace

// Cell lengths on both sides of each length byte boundary, empty cells,
// NULs and UTF-8 come back exactly.
TEST(RowStore, CellsComeBackAsStored) {
  RowStore s(3);
  const std::vector<std::vector<std::string>> rows = {
      {"", "", ""},
      {std::string(127, 'a'), std::string(128, 'b'), std::string(16384, 'c')},
      {std::string("\0x\0", 3), "Num\xC3\xA9ro de rue", std::string(16383, 'd')},
  };
  std::vector<RowStore::Id> ids;
  for (const auto& r : rows) ids.push_back(add(s, r));
  ASSERT_EQ(s.size(), rows.size());
  for (size_t r = 0; r < rows.size(); ++r)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(s.cell(ids[r], c), rows[r][static_cast<size_t>(c)]) << r << "," << c;
  EXPECT_EQ(s.cell(ids[1], 3), "");
  EXPECT_EQ(s.cell(ids[1], -1), "");
  EXPECT_EQ(s.cell(99, 0), "");
}

// Rows past one block, and a row larger than a block, keep their texts:
// what is stored never moves when more is added.
TEST(RowStore, RowsAcrossBlocksStayPut) {
  RowStore s(2);
  std::vector<std::string_view> views;
  for (int i = 0; i < 30000; ++i) {
    const RowStore::Id id = add(s, {std::to_string(i), std::string(300, static_cast<char>('a' + i % 26))});
    ASSERT_EQ(id, static_cast<RowStore::Id>(i));
    views.push_back(s.cell(id, 0));
  }
  const RowStore::Id big = add(s, {"big", std::string(5 << 20, 'z')});
  add(s, {"after", "x"});
  for (int i = 0; i < 30000; i += 997) {
    EXPECT_EQ(views[static_cast<size_t>(i)], std::to_string(i));
    EXPECT_EQ(s.cell(static_cast<RowStore::Id>(i), 1), std::string(300, static_cast<char>('a' + i % 26)));
  }
  EXPECT_EQ(s.cell(big, 1).size(), size_t{5} << 20);
  EXPECT_EQ(s.cell(big + 1, 0), "after");
}

TEST(ChunkedVector, GrowsByPagesAndKeepsWhatItHolds) {
  fw::ChunkedVector<uint32_t, 4> v;
  for (uint32_t i = 0; i < 11; ++i) v.push_back(i * 3);
  ASSERT_EQ(v.size(), 11u);
  const uint32_t* first = &v[0];
  v.reserveMore(100);
  EXPECT_EQ(&v[0], first);
  for (uint32_t i = 0; i < 11; ++i) EXPECT_EQ(v[i], i * 3);
  v.pop_back();
  EXPECT_EQ(v.size(), 10u);
}
