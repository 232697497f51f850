// The scan's own decoder: where it parts from the main window's decoder,
// and its address rule on the awkward bytes a card image holds.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "framework/core/MemoryBlock.h"
#include "recordgen.h"
#include "records/Record.h"
#include "util/Records.h"

using testutil::addr;
using testutil::block;
using testutil::le32;

namespace {
// Marker with the two codes and the four coordinates; then `tail` as given
// (length bytes and address bytes).
std::string record(uint8_t prec, uint8_t type, const std::string& tail, int32_t lon1 = 229448, int32_t lat1 = 4885837,
                   int32_t lon2 = -57410, int32_t lat2 = 0) {
  return testutil::record(prec, type, lon1, lat1, lon2, lat2, tail);
}
// A length byte for n bytes, whatever follows it.
std::string lenByte(int n) { return std::string(1, static_cast<char>(n + records::AddressLengthBias)); }
}  // namespace

TEST(ScanDecoder, CodesAndCoordinates) {
  struct Case {
    uint8_t prec, type;
    const char *precText, *typeText;
  };
  const Case cases[] = {
      {3, 3, "(3) Numéro de rue", "(3) Favoris"},
      {0, 2, "(0) ERREUR", "(2) ERREUR"},
      {1, 7, "(1) centre ville", "(7) Départ du dernier trajet calculé"},
      {4, 1, "(4) N'importe où", "(1) Saisie à partir de la carte ou d'un code postal"},
      {200, 255, "(200) ERREUR", "(255) ERREUR"},
  };
  for (const Case& c : cases) {
    const auto mb = block(record(c.prec, c.type, addr("A") + addr("B") + addr("C")));
    const auto r = records::DecodeRecord(mb, 0, records::Decoder::Scan);
    EXPECT_EQ(r.text[records::kPrecision], c.precText);
    EXPECT_EQ(r.text[records::kType], c.typeText);
    // Everything but the precision name is the main decoder's text.
    const auto m = records::DecodeRecord(mb, 0, records::Decoder::MainWindow);
    for (int k = records::kType; k < records::kFieldCount; ++k) EXPECT_EQ(r.text[k], m.text[k]) << k;
  }
  const auto r = records::DecodeRecord(block(record(3, 3, "", -12345678, 1, 100000, -1)), 0, records::Decoder::Scan);
  EXPECT_EQ(r.text[records::kLon1], "-123.45678");
  EXPECT_EQ(r.text[records::kLat1], "0.00001");
  EXPECT_EQ(r.text[records::kLon2], "1");
  EXPECT_EQ(r.text[records::kLat2], "-0.00001");
}

TEST(ScanDecoder, AddressRule) {
  struct Case {
    const char* what;
    std::string tail;
    int written;                         // labels written, in panel order
    std::vector<std::string> addresses;  // the three texts shown
  };
  const Case cases[] = {
      {"three whole addresses", addr("1 rue") + addr("Paris") + addr("France"), 9, {"1 rue", "Paris", "France"}},
      {"an empty first address, then the others",
       addr("") + addr("Paris") + addr("France"),
       9,
       {"", "Paris", "France"}},
      {"one character, the next from p+34", lenByte(1) + "A" + addr("BC") + addr(""), 9, {"A", "BC", ""}},
      {"lengths 5, 0, 7", addr("abcde") + addr("") + addr("fghijkl"), 9, {"abcde", "", "fghijkl"}},
      {"three empty addresses", addr("") + addr("") + addr(""), 9, {"", "", ""}},
      {"an empty address, then a control byte", addr("") + lenByte(2) + '\x01' + "a" + addr("z"), 7, {"", "", ""}},
      {"an empty address, then a negative length", addr("") + std::string(1, '\x1a') + addr("z"), 7, {"", "", ""}},
      {"a control byte stops the address", lenByte(4) + "Hi\x09!" + addr("x") + addr("y"), 6, {"", "", ""}},
      {"a control byte in the second", addr("ok") + lenByte(3) + "a" + '\x1f' + "b" + addr("z"), 7, {"ok", "", ""}},
      {"a negative length", std::string(1, '\x05') + "abc", 6, {"", "", ""}},
      {"127 and 233 are characters", addr("a\x7f\xe9") + addr("") + addr(""), 9, {"a\x7f\xc3\xa9", "", ""}},
      {"a space (32) is a character", addr(" ") + addr("  ") + addr("x"), 9, {" ", "  ", "x"}},
      {"a length byte of 255 reads 228 bytes",
       addr(std::string(228, 'w')) + addr("n") + addr("m"),
       9,
       {std::string(228, 'w'), "n", "m"}},
      {"an address running past the block", addr("ok") + lenByte(10) + "short", 7, {"ok", "", ""}},
      {"the block ends at a length byte", addr("ok"), 7, {"ok", "", ""}},
      {"an empty address ends the block", addr("ok") + addr(""), 8, {"ok", "", ""}},
  };
  for (const Case& c : cases) {
    const auto r = records::DecodeRecord(block(record(3, 5, c.tail)), 0, records::Decoder::Scan);
    EXPECT_EQ(r.written, c.written) << c.what;
    for (int k = 0; k < 3; ++k) EXPECT_EQ(r.text[records::kAddr1 + k], c.addresses[static_cast<size_t>(k)]) << c.what;
  }
}

// A card's record with an empty first address: the scan shows the same
// addresses as the settings-file finder, and so it does for every sample
// place, several of which have empty addresses. Only the name of precision
// code 3 differs.
TEST(ScanDecoder, SameTextsAsTheMainDecoder) {
  const recordgen::Place marseille = {
      3, 5, 536980, 4329650, 536995, 4329662, "", "Quai du Port, 13002 Marseille", "Bouches-du-Rh\xF4ne"};
  const std::string trailer = le32(1299145600) + std::string("\x01\x00\xff\xff", 4);
  const auto mb = block("\x55\x55" + recordgen::encodeRecord(marseille) + trailer);
  const auto s = records::DecodeRecord(mb, 2, records::Decoder::Scan);
  const auto m = records::DecodeRecord(mb, 2, records::Decoder::MainWindow);
  EXPECT_EQ(s.written, records::kFieldCount);
  EXPECT_EQ(s.text[records::kPrecision], "(3) Numéro de rue");
  EXPECT_EQ(m.text[records::kPrecision], "(3) No de rue");
  const std::array<std::string, 3> want = {"", "Quai du Port, 13002 Marseille", "Bouches-du-Rhône"};
  for (int k = 0; k < 3; ++k) EXPECT_EQ(s.text[records::kAddr1 + k], want[static_cast<size_t>(k)]) << k;
  for (int k = records::kType; k < records::kFieldCount; ++k) EXPECT_EQ(s.text[k], m.text[k]) << k;

  for (const recordgen::Place& p : recordgen::samplePlaces()) {
    const auto one = block(recordgen::encodeRecord(p) + trailer);
    const auto sp = records::DecodeRecord(one, 0, records::Decoder::Scan);
    const auto mp = records::DecodeRecord(one, 0, records::Decoder::MainWindow);
    EXPECT_EQ(sp.written, records::kFieldCount) << p.addr2;
    for (int k = records::kType; k < records::kFieldCount; ++k)
      EXPECT_EQ(sp.text[k], mp.text[k]) << p.addr2 << " " << k;
    if (p.precision != 3) {
      EXPECT_EQ(sp.text[records::kPrecision], mp.text[records::kPrecision]) << p.addr2;
    }
  }
}

TEST(ScanDecoder, RecordInsideALargerBlock) {
  const std::string bytes = std::string(37, '\x55') + record(2, 6, addr("Gare") + addr("Lyon") + addr("")) + "tail";
  const auto r = records::DecodeRecord(block(bytes), 37, records::Decoder::Scan);
  EXPECT_EQ(r.text[records::kPrecision], "(2) Croisement");
  EXPECT_EQ(r.text[records::kAddr1], "Gare");
  EXPECT_EQ(r.text[records::kAddr2], "Lyon");
  EXPECT_EQ(r.text[records::kAddr3], "");
  EXPECT_EQ(r.written, 9);
}

TEST(ScanDecoder, RecordCutByTheEndOfTheBlock) {
  // Only the marker and the first coordinate fit: the rest shows "".
  const std::string bytes = record(1, 1, "").substr(0, 20);
  const auto r = records::DecodeRecord(block(bytes), 0, records::Decoder::Scan);
  EXPECT_EQ(r.text[records::kPrecision], "(1) centre ville");
  EXPECT_EQ(r.text[records::kLon1], "2.29448");
  EXPECT_EQ(r.text[records::kLat1], "");
  EXPECT_EQ(r.text[records::kLat2], "");
  EXPECT_EQ(r.text[records::kAddr1], "");
}

TEST(ScanDecoder, GetChaine) {
  struct Case {
    std::string bytes;  // length byte first
    bool whole;
    int32_t length;
    std::string text;
  };
  const Case cases[] = {
      {lenByte(4) + "Hi\x09!", false, 2, "Hi"},
      {lenByte(0) + "xyz", false, 0, ""},
      {std::string(1, '\x00') + "xyz", false, -27, ""},
      {std::string(1, '\x1a'), false, -1, ""},
      {lenByte(3) + '\x01' + "ab", false, 0, ""},
      {lenByte(3) + "abc", true, 3, "abc"},
      {lenByte(2) + "\xff\x80", true, 2, "\xff\x80"},
      {lenByte(5) + "ab", false, 2, "ab"},  // the block ends inside
      {"", false, 0, ""},
  };
  for (const Case& c : cases) {
    int32_t length = 99;
    std::string text = "previous";
    EXPECT_EQ(records::ReadScanAddress(block(c.bytes), 0, length, text), c.whole) << c.bytes;
    EXPECT_EQ(length, c.length) << c.bytes;
    EXPECT_EQ(text, c.text) << c.bytes;
  }
}

TEST(ScanDecoder, Calcval) {
  const auto mb = block(le32(-2) + le32(0x7fffffff) + "\x01");
  EXPECT_EQ(mb.Int32Value(0).value_or(0), -2);
  EXPECT_EQ(mb.Int32Value(4).value_or(0), 0x7fffffff);
  EXPECT_EQ(mb.Int32Value(6).value_or(0), 0);  // not wholly inside
}
