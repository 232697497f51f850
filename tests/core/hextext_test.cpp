// Records written as hexadecimal text: the marker search, the bytes cut out
// for a record and the records found, well-formed or not. Every malformed
// case here also runs under the sanitizers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/MemoryBlock.h"
#include "framework/core/Text.h"
#include "recordgen.h"
#include "records/HexText.h"
#include "records/HexTextRecords.h"
#include "records/Record.h"

using records::RecordTexts;

namespace {

constexpr size_t npos = std::u32string::npos;

std::u32string U(const std::string& utf8) { return fw::Utf8ToU32(utf8); }
std::u32string hexOf(const std::string& bytes) { return U(recordgen::toHexUpper(bytes)); }

const recordgen::Place kEiffel{3, 6, 229448, 4885837, 229413, 4885812, "Tour Eiffel", "75007 Paris", "France"};
const recordgen::Place kLyon{1, 1, 483566, 4576404, 483600, 4576420, "", "69002 Lyon", "Rh\xF4ne"};
const recordgen::Place kEmpty{4, 1, -474060, 4803930, -474082, 4803945, "", "", ""};

std::string bytesOf(const recordgen::Place& p) { return recordgen::encodeRecord(p); }

RecordTexts decoded(const std::string& bytes) {
  return records::DecodeRecord(fw::MemoryBlock::FromBytes(bytes), 0, records::Decoder::MainWindow);
}

RecordTexts texts(std::initializer_list<const char*> nine) {
  RecordTexts r;
  size_t k = 0;
  for (const char* t : nine) r.text[k++] = t;
  return r;
}

std::string show(const RecordTexts& r) {
  std::string s;
  for (const auto& t : r.text) s += "[" + t + "]";
  return s;
}

std::string show(const std::vector<RecordTexts>& v) {
  std::string s;
  for (const auto& r : v) s += show(r) + "\n";
  return s;
}

}  // namespace

TEST(FindHexMarker, PositionsAreCharactersAndDotsTakeAnyCharacterButALineBreak) {
  const std::u32string marker = U"0400030000000400060000000800";
  struct Case {
    std::u32string text;
    size_t from, want;
  };
  const Case cases[] = {
      {marker, 0, 0},
      {U"x" + marker, 0, 1},  // odd positions too
      {U"éé€" + marker, 0, 3},
      {U"0400" + marker, 0, 4},
      {marker + marker, 1, 28},
      {marker, 1, npos},
      {marker.substr(0, 27), 0, npos},
      {U"", 0, npos},
      {marker, 500, npos},
      // The code places take any character, even ones that are no digit.
      {U"0400zZ0000000400\u00e9?0000000800", 0, 0},
      {U"0400ab0000000400CD0000000800", 0, 0},
      // A line break in a code place or among the fixed characters.
      {U"0400\n30000000400060000000800", 0, npos},
      {U"04000300000\n0400060000000800", 0, npos},
      {U"0400030000000400\r60000000800", 0, npos},
      {U"040003000000040006000000\u20280800", 0, npos},
      // Fixed characters are digits only: no letter case to match.
      {U"0400030000000400060000000900", 0, npos},
      {U"04000300O0000400060000000800", 0, npos},
  };
  for (const Case& c : cases)
    EXPECT_EQ(records::FindHexMarker(c.text, c.from), c.want) << fw::U32ToUtf8(c.text) << " from " << c.from;
}

TEST(HexRecordBytes, TheRecordsOwnBytesAndNoMore) {
  for (const auto& p : recordgen::samplePlaces()) {
    const std::string bytes = bytesOf(p);
    const std::u32string text = U"zz" + hexOf(bytes) + U"0400FFFF";
    const fw::MemoryBlock mb = records::HexRecordBytes(text, 2);
    ASSERT_EQ(mb.Size(), static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(mb.Bytes(0, mb.Size()), bytes);
  }
}

TEST(HexRecordBytes, CutAtTheFirstPairThatIsNotHexadecimalOrAtTheEnd) {
  const std::string bytes = bytesOf(kEiffel);
  const std::u32string hex = hexOf(bytes);
  struct Case {
    std::u32string text;
    int64_t size;
  };
  const Case cases[] = {
      {hex.substr(0, 100), 50},
      {hex.substr(0, 101), 50},  // a lone last character makes no byte
      {hex.substr(0, 28), 14},
      {hex.substr(0, 40) + U"G" + hex.substr(41), 20},
      {hex.substr(0, 41) + U" " + hex.substr(42), 20},
      {hex.substr(0, 70) + U"\n" + hex.substr(70), 35},
      {hex.substr(0, 80) + U"é" + hex.substr(80), 40},
      {U"0400ZZ0000000400ZZ0000000800" + hex.substr(28), 2},
  };
  for (const Case& c : cases) {
    const fw::MemoryBlock mb = records::HexRecordBytes(c.text, 0);
    EXPECT_EQ(mb.Size(), c.size) << fw::U32ToUtf8(c.text);
    EXPECT_EQ(mb.Bytes(0, mb.Size()), bytes.substr(0, static_cast<size_t>(mb.Size())));
  }
}

TEST(HexRecordBytes, ABadLengthKeepsTheFieldsInFrontOfIt) {
  // A length byte of 00 gives a negative length, and n would be shorter than
  // the marker; the coordinates and the bad length byte are still there.
  const std::string bytes = bytesOf(kEmpty);
  std::u32string hex = hexOf(bytes);
  for (size_t at : {size_t{64}, size_t{66}, size_t{68}}) hex.replace(at, 2, U"00");
  fw::MemoryBlock mb = records::HexRecordBytes(hex, 0);
  ASSERT_EQ(mb.Size(), 33);
  EXPECT_EQ(mb.Bytes(0, 32), bytes.substr(0, 32));
  EXPECT_EQ(mb.Byte(32), 0);
  // Good first and second addresses, a bad third length.
  const std::string eiffel = bytesOf(kEiffel);
  hex = hexOf(eiffel);
  hex.replace(112, 2, U"1A");
  mb = records::HexRecordBytes(hex, 0);
  ASSERT_EQ(mb.Size(), 57);
  EXPECT_EQ(mb.Bytes(0, 56), eiffel.substr(0, 56));
}

TEST(FindRecordsInHexText, SamplePlacesWithAnythingBetweenThem) {
  std::vector<RecordTexts> want;
  for (const auto& p : recordgen::samplePlaces()) want.push_back(decoded(bytesOf(p)));
  const std::u32string separators[] = {U"", U" ", U"\n", U"\r\n", U"\t", U"; ", U"Zz", U"0", U"é€😀", U"0400"};
  for (const std::u32string& sep : separators) {
    std::u32string text = sep;
    for (const auto& p : recordgen::samplePlaces()) text += hexOf(bytesOf(p)) + sep;
    EXPECT_EQ(records::FindRecordsInHexText(text), want) << "separator '" << fw::U32ToUtf8(sep) << "'";
  }
}

TEST(FindRecordsInHexText, LowerCaseDigitsReadLikeUpperCase) {
  recordgen::Place p = kEiffel;
  p.precision = 200;  // c8
  p.type = 0xAB;
  const std::u32string upper = hexOf(bytesOf(p));
  std::u32string lower = upper;
  for (char32_t& c : lower)
    if (c >= 'A' && c <= 'F') c = c - 'A' + 'a';
  const auto found = records::FindRecordsInHexText(lower + U" " + upper);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0], found[1]);
  EXPECT_EQ(found[0], decoded(bytesOf(p)));
  EXPECT_EQ(found[0].text[records::kPrecision], "(200) ERREUR");
  EXPECT_EQ(found[0].text[records::kType], "(171) ERREUR");
}

TEST(FindRecordsInHexText, AMarkerInsideARecordIsARecordOfItsOwn) {
  // The outer record's first address holds the whole inner record.
  const std::string inner = bytesOf(kLyon);
  recordgen::Place outer = kEiffel;
  outer.addr1 = inner;
  const auto found = records::FindRecordsInHexText(hexOf(bytesOf(outer)));
  ASSERT_EQ(found.size(), 2u) << show(found);
  EXPECT_EQ(found[0], decoded(bytesOf(outer)));
  EXPECT_EQ(found[0].text[records::kAddr1], fw::Windows1252ToUtf8(inner));
  EXPECT_EQ(found[1], decoded(inner));
}

TEST(FindRecordsInHexText, AMarkerSplitByALineBreakIsNotFound) {
  const std::u32string a = hexOf(bytesOf(kEiffel)), b = hexOf(bytesOf(kLyon)), c = hexOf(bytesOf(kEmpty));
  for (size_t cut : {size_t{1}, size_t{5}, size_t{14}, size_t{27}}) {
    const std::u32string split = b.substr(0, cut) + U"\n" + b.substr(cut);
    const auto found = records::FindRecordsInHexText(a + U"\n" + split + U"\n" + c);
    EXPECT_EQ(found, (std::vector<RecordTexts>{decoded(bytesOf(kEiffel)), decoded(bytesOf(kEmpty))}))
        << "cut at " << cut << "\n"
        << show(found);
  }
}

TEST(FindRecordsInHexText, MalformedRecordsKeepTheCharactersThatAreThere) {
  const std::u32string eiffel = hexOf(bytesOf(kEiffel)), lyon = hexOf(bytesOf(kLyon));
  const RecordTexts lyonTexts = decoded(bytesOf(kLyon));
  const char* prec = "(3) No de rue";
  const char* type = "(6) Saisie à partir du POI";
  struct Case {
    const char* name;
    std::u32string text;
    RecordTexts first;
  };
  std::u32string longAddr = eiffel.substr(0, 64) + U"FF";  // 228 characters of address 1
  for (int i = 0; i < 228; ++i) longAddr += U"41";
  longAddr += U"1B1B";
  std::u32string belowBias = eiffel;
  belowBias.replace(64, 2, U"1A");
  std::u32string zeroLength = eiffel;
  zeroLength.replace(64, 2, U"00");
  std::u32string zeroThird = eiffel;
  zeroThird.replace(112, 2, U"00");
  const Case cases[] = {
      {"not hexadecimal inside address 2", eiffel.substr(0, 96) + U"G" + eiffel.substr(97),
       texts({prec, type, "2.29448", "48.85837", "2.29413", "48.85812", "Tour Eiffel", "", ""})},
      {"a space inside the second pair", eiffel.substr(0, 50) + U" " + eiffel.substr(51),
       texts({prec, type, "2.29448", "48.85837", "", "", "", "", ""})},
      {"a line break after the marker", eiffel.substr(0, 30) + U"\n" + eiffel.substr(30),
       texts({prec, type, "", "", "", "", "", "", ""})},
      {"a length byte below 27", belowBias,
       texts({prec, type, "2.29448", "48.85837", "2.29413", "48.85812", "", "", ""})},
      {"a length byte of 00", zeroLength,
       texts({prec, type, "2.29448", "48.85837", "2.29413", "48.85812", "", "", ""})},
      {"a length byte of 00 for address 3", zeroThird,
       texts({prec, type, "2.29448", "48.85837", "2.29413", "48.85812", "Tour Eiffel", "75007 Paris", ""})},
      {"a length byte above 226", longAddr,
       texts({prec, type, "2.29448", "48.85837", "2.29413", "48.85812", "", "", ""})},
      {"codes that are no digits", U"0400ZZ0000000400ZZ0000000800" + eiffel.substr(28),
       texts({"", "", "", "", "", "", "", "", ""})},
  };
  // The record above 226 is whole: its address shows.
  RecordTexts longWant = texts({prec, type, "2.29448", "48.85837", "2.29413", "48.85812", "", "", ""});
  longWant.text[records::kAddr1] = std::string(228, 'A');
  for (const Case& c : cases) {
    const RecordTexts want = std::string(c.name) == "a length byte above 226" ? longWant : c.first;
    // The search goes on after a malformed record.
    const auto found = records::FindRecordsInHexText(c.text + U" " + lyon);
    ASSERT_EQ(found.size(), 2u) << c.name << "\n" << show(found);
    EXPECT_EQ(found[0], want) << c.name << "\n" << show(found[0]);
    EXPECT_EQ(found[1], lyonTexts) << c.name;
  }
}

TEST(FindRecordsInHexText, RecordsCutShortAtTheEndOfTheText) {
  const std::u32string eiffel = hexOf(bytesOf(kEiffel));
  const char* prec = "(3) No de rue";
  const char* type = "(6) Saisie à partir du POI";
  struct Case {
    size_t chars;
    RecordTexts want;
  };
  const Case cases[] = {
      {28, texts({prec, type, "", "", "", "", "", "", ""})},
      {35, texts({prec, type, "", "", "", "", "", "", ""})},
      {36, texts({prec, type, "2.29448", "", "", "", "", "", ""})},
      {64, texts({prec, type, "2.29448", "48.85837", "2.29413", "48.85812", "", "", ""})},
      {88, texts({prec, type, "2.29448", "48.85837", "2.29413", "48.85812", "Tour Eiffel", "", ""})},
      {eiffel.size() - 1,
       texts({prec, type, "2.29448", "48.85837", "2.29413", "48.85812", "Tour Eiffel", "75007 Paris", ""})},
  };
  for (const Case& c : cases) {
    const auto found = records::FindRecordsInHexText(U"text " + eiffel.substr(0, c.chars));
    ASSERT_EQ(found.size(), 1u) << c.chars;
    EXPECT_EQ(found[0], c.want) << c.chars << "\n" << show(found[0]);
  }
}

TEST(FindRecordsInHexText, RandomTextNeverReadsOutside) {
  // Fragments of real records, markers and noise stuck together at random: the
  // sanitizers watch every read, the results only have to be consistent.
  recordgen::Rng rng{2024};
  const std::u32string fragments[] = {
      U"0400", U"0000000400",           U"0000000800",        U"1B", U"00", U"FF", U"E2", U"\n", U" ", U"é", U"G", U"0",
      U"41",   hexOf(bytesOf(kEiffel)), hexOf(bytesOf(kLyon))};
  for (int round = 0; round < 3000; ++round) {
    std::u32string text;
    const int n = static_cast<int>(rng.between(0, 40));
    for (int i = 0; i < n; ++i) {
      const std::u32string& p = fragments[rng.below(std::size(fragments))];
      text += rng.chance(20) ? p.substr(0, static_cast<size_t>(rng.below(p.size() + 1))) : p;
    }
    const auto found = records::FindRecordsInHexText(text);
    size_t count = 0;
    for (size_t m = records::FindHexMarker(text, 0); m != npos; m = records::FindHexMarker(text, m + 28)) {
      const fw::MemoryBlock mb = records::HexRecordBytes(text, m);
      ASSERT_GE(mb.Size(), 1);
      ASSERT_LE(mb.Size(), static_cast<int64_t>((text.size() - m) / 2));
      ++count;
    }
    ASSERT_EQ(found.size(), count);
  }
}
