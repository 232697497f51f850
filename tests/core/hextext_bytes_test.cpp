// The hex-text search over a text held as bytes (made from a file) finds and
// decodes exactly what the same text held as characters gives, records at
// odd positions and records cut by the end included; and the hex text of a
// block.
#include <gtest/gtest.h>

#include <string>

#include "framework/core/MemoryBlock.h"
#include "framework/core/Text.h"
#include "recordgen.h"
#include "records/HexText.h"
#include "records/HexTextRecords.h"

TEST(HexTextAsBytes, SameRecordsAsTheCharacterText) {
  recordgen::Rng rng{2024};
  for (int round = 0; round < 200; ++round) {
    std::string text;
    const int pieces = static_cast<int>(rng.between(0, 6));
    for (int k = 0; k < pieces; ++k) {
      // Hex digits of random length (odd lengths put the next record at an
      // odd position), then a record, sometimes cut short.
      for (int64_t n = rng.between(0, 41); n > 0; --n) text += "0123456789ABCDEF"[rng.below(16)];
      std::string hex = recordgen::toHexUpper(recordgen::encodeRecord(recordgen::randomPlace(rng)));
      if (rng.chance(20)) hex.resize(static_cast<size_t>(rng.between(28, static_cast<int64_t>(hex.size()))));
      text += hex;
    }
    const std::u32string chars = fw::Utf8ToU32(text);
    const auto fromBytes = records::FindRecordsInHexText(std::string_view(text));
    ASSERT_EQ(fromBytes, records::FindRecordsInHexText(std::u32string_view(chars))) << text;
    ASSERT_GE(fromBytes.size(), static_cast<size_t>(pieces) - static_cast<size_t>(pieces > 0)) << text;
    for (size_t m = records::FindHexMarker(std::string_view(text), 0); m != std::string::npos;
         m = records::FindHexMarker(std::string_view(text), m + 28)) {
      ASSERT_EQ(m, records::FindHexMarker(std::u32string_view(chars), m));
      const fw::MemoryBlock a = records::HexRecordBytes(std::string_view(text), m);
      const fw::MemoryBlock b = records::HexRecordBytes(std::u32string_view(chars), m);
      ASSERT_EQ(a.Bytes(0, a.Size()), b.Bytes(0, b.Size()));
    }
  }
}

TEST(HexTextAsBytes, ARecordAtAnOddPosition) {
  const recordgen::Place p{2, 5, 229448, 4885837, 229413, 4885812, "Tour Eiffel", "75007 Paris", "France"};
  const std::string hex = recordgen::toHexUpper(recordgen::encodeRecord(p));
  const auto found = records::FindRecordsInHexText(std::string_view("A" + hex));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0], records::DecodeRecord(fw::MemoryBlock::FromBytes(recordgen::encodeRecord(p)), 0,
                                            records::Decoder::MainWindow));
}

TEST(HexTextOf, TwoUpperCaseDigitsPerByte) {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  const std::string hex = records::HexTextOf(fw::MemoryBlock::FromBytes(bytes));
  ASSERT_EQ(hex.size(), 512u);
  for (int b = 0; b < 256; ++b) {
    const std::string h = fw::Hex(static_cast<uint64_t>(b));
    EXPECT_EQ(hex.substr(2 * static_cast<size_t>(b), 2), (h.size() == 1 ? "0" : "") + h) << b;
  }
  EXPECT_EQ(records::HexTextOf(fw::MemoryBlock()), "");
}
