#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "framework/core/MemoryBlock.h"
#include "records/MarkerSearch.h"
#include "util/Images.h"

namespace {
std::string_view view(const std::vector<uint8_t>& b) { return {reinterpret_cast<const char*>(b.data()), b.size()}; }

// The rule as stated: every position from start to size - 14, byte by byte.
int64_t reference(const std::vector<uint8_t>& b, int64_t start) { return testutil::nextMarkerOracle(view(b), start); }

void put(std::vector<uint8_t>& b, size_t at, uint8_t prec = 0xAA, uint8_t type = 0xBB) {
  const std::string m = recordgen::markerBytes(prec, type);
  std::copy(m.begin(), m.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
}

std::vector<int64_t> all(const fw::MemoryBlock& mb) {
  std::vector<int64_t> out;
  for (int64_t p = records::chercheNextStart(mb, 0); p < mb.Size(); p = records::chercheNextStart(mb, p + 1))
    out.push_back(p);
  return out;
}
std::vector<int64_t> allReference(const std::vector<uint8_t>& b) { return testutil::markerOracle(view(b)); }
}  // namespace

TEST(MarkerSearch, EdgeCases) {
  std::vector<uint8_t> b(40, 0);
  // Shorter than a marker, or a start past size - 14: size + 1 at once.
  EXPECT_EQ(records::chercheNextStart(fw::MemoryBlock(13), 0), 14);
  EXPECT_EQ(records::chercheNextStart(fw::MemoryBlock(), 0), 1);
  EXPECT_EQ(records::chercheNextStart(fw::MemoryBlock(40), 27), 41);
  // A marker whose last byte is the buffer's last byte is found.
  put(b, 26);
  EXPECT_EQ(records::chercheNextStart(fw::MemoryBlock::FromBytes({reinterpret_cast<char*>(b.data()), b.size()}), 0),
            26);
  // Any code values match, including 04, 00 and 08; 09 for 08 at +12 does not.
  for (uint8_t code : {0, 4, 8, 255}) {
    std::vector<uint8_t> c(30, 0xEE);
    put(c, 3, code, code);
    EXPECT_EQ(records::chercheNextStart(fw::MemoryBlock::FromBytes({reinterpret_cast<char*>(c.data()), c.size()}), 0),
              3);
    c[3 + 12] = 9;
    EXPECT_EQ(records::chercheNextStart(fw::MemoryBlock::FromBytes({reinterpret_cast<char*>(c.data()), c.size()}), 0),
              31);
  }
}

// Random buffers seeded with markers at every alignment, near-misses and at
// the very end, searched whole and across every split into two joined blocks.
TEST(MarkerSearch, AgreesWithTheByteByByteRule) {
  std::mt19937_64 rng(7);
  for (int round = 0; round < 60; ++round) {
    const size_t size = 14 + rng() % 700;
    std::vector<uint8_t> b(size);
    const int style = round % 3;
    for (auto& x : b)
      x = style == 0 ? static_cast<uint8_t>(rng()) : style == 1 ? 0 : static_cast<uint8_t>("\x04\x00\x08"[rng() % 3]);
    for (int m = 0; m < 6; ++m) put(b, rng() % (size - 13), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()));
    if (round % 4 == 0) put(b, size - 14);
    const auto whole = fw::MemoryBlock::FromBytes({reinterpret_cast<char*>(b.data()), b.size()});
    const auto want = allReference(b);
    EXPECT_EQ(all(whole), want);
    for (int64_t start = 0; start < static_cast<int64_t>(size); start += 1 + static_cast<int64_t>(rng() % 9))
      EXPECT_EQ(records::chercheNextStart(whole, start), reference(b, start));
    for (size_t cut = 1; cut < size; cut += 1 + rng() % 13) {
      const auto joined = fw::MemoryBlock::FromBytes({reinterpret_cast<char*>(b.data()), cut}) +
                          fw::MemoryBlock::FromBytes({reinterpret_cast<char*>(b.data()) + cut, size - cut});
      EXPECT_EQ(all(joined), want) << "cut at " << cut;
    }
  }
}

TEST(MarkerSearch, OverlappingCandidatesAreNotSkipped) {
  // 04 00 04 00 ...: a rejected candidate at 0 must not hide the marker at 2.
  std::vector<uint8_t> b(40, 0);
  b[0] = 4;
  put(b, 2, 4, 0);
  const auto mb = fw::MemoryBlock::FromBytes({reinterpret_cast<char*>(b.data()), b.size()});
  EXPECT_EQ(records::chercheNextStart(mb, 0), 2);
  EXPECT_EQ(records::chercheNextStart(mb, 3), 41);
}
