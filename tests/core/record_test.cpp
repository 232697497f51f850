#include <gtest/gtest.h>

#include <string>

#include "framework/core/MemoryBlock.h"
#include "records/HexText.h"
#include "records/Record.h"
#include "util/Records.h"

using records::Decoder;
using records::DecodeRecord;
using records::RecordTexts;

using testutil::addr;
using testutil::block;
using testutil::le32;
using testutil::record;

TEST(Decode, CodeNamesOfBothDecoders) {
  struct Case {
    int prec, type;
    const char *mainPrec, *scanPrec, *typeText;
  };
  const Case cases[] = {
      {0, 0, "(0) ERREUR", "(0) ERREUR", "(0) ERREUR"},
      {1, 1, "(1) centre ville", "(1) centre ville", "(1) Saisie à partir de la carte ou d'un code postal"},
      {2, 2, "(2) Croisement", "(2) Croisement", "(2) ERREUR"},
      {3, 3, "(3) No de rue", "(3) Numéro de rue", "(3) Favoris"},
      {4, 4, "(4) N'importe où", "(4) N'importe où", "(4) Domicile"},
      {5, 5, "(5) ERREUR", "(5) ERREUR", "(5) Saisie par adresse"},
      {6, 6, "(6) ERREUR", "(6) ERREUR", "(6) Saisie à partir du POI"},
      {7, 7, "(7) ERREUR", "(7) ERREUR", "(7) Départ du dernier trajet calculé"},
      {200, 8, "(200) ERREUR", "(200) ERREUR", "(8) ERREUR"},
      {255, 255, "(255) ERREUR", "(255) ERREUR", "(255) ERREUR"},
  };
  for (const Case& c : cases) {
    const auto mb = block(record(static_cast<uint8_t>(c.prec), static_cast<uint8_t>(c.type), 1, 2, 3, 4,
                                 addr("A") + addr("B") + addr("C")));
    const RecordTexts m = DecodeRecord(mb, 0, Decoder::MainWindow);
    const RecordTexts s = DecodeRecord(mb, 0, Decoder::Scan);
    EXPECT_EQ(m.text[records::kPrecision], c.mainPrec);
    EXPECT_EQ(s.text[records::kPrecision], c.scanPrec);
    EXPECT_EQ(m.text[records::kType], c.typeText);
    EXPECT_EQ(s.text[records::kType], c.typeText);
  }
}

TEST(Decode, FieldsOfARealRecordAtAnyOffset) {
  const std::string rec =
      record(3, 5, -122419, 4885661, -122400, 4885650, addr("12 rue de l'\xC9glise") + addr("") + addr("Cr\xE9teil"));
  for (size_t prefix : {0u, 1u, 7u, 300u}) {
    const auto mb = block(std::string(prefix, '\x04') + rec + "trailing bytes");
    const RecordTexts r = DecodeRecord(mb, static_cast<int64_t>(prefix), Decoder::MainWindow);
    const std::array<std::string, 9> want = {
        "(3) No de rue", "(5) Saisie par adresse", "-1.22419", "48.85661", "-1.224",
        "48.8565",       "12 rue de l'Église",     "",         "Créteil"};
    EXPECT_EQ(r.text, want) << prefix;
    EXPECT_EQ(r.written, 9);
  }
}

TEST(Decode, AddressesOfDifferentLengthsShowOnlyTheirOwnBytes) {
  const auto mb = block(record(1, 1, 0, 0, 0, 0, addr("a much longer first address") + addr("short") + addr("x")));
  const RecordTexts r = DecodeRecord(mb, 0, Decoder::MainWindow);
  EXPECT_EQ(r.text[records::kAddr1], "a much longer first address");
  EXPECT_EQ(r.text[records::kAddr2], "short");
  EXPECT_EQ(r.text[records::kAddr3], "x");
}

TEST(Decode, TwoDecodesInARowLeaveNothingOfTheFirst) {
  const auto first =
      DecodeRecord(block(record(1, 1, 5, 6, 7, 8, addr("one") + addr("two") + addr("three"))), 0, Decoder::MainWindow);
  const auto second =
      DecodeRecord(block(record(2, 3, 9, 9, 9, 9, addr("") + addr("") + addr(""))), 0, Decoder::MainWindow);
  EXPECT_EQ(first.text[records::kAddr1], "one");
  for (int k = records::kAddr1; k <= records::kAddr3; ++k) EXPECT_EQ(second.text[static_cast<size_t>(k)], "");
}

TEST(Decode, ScanDecoderRefusesAndStopsAddresses) {
  struct Case {
    std::string tail;
    std::array<const char*, 3> want;
    int written;
  };
  const Case cases[] = {
      // An empty address shows "" and the next one is read, as the main decoder does.
      {addr("") + addr("Rue") + addr("Ville"), {"", "Rue", "Ville"}, 9},
      {addr("A") + addr("Rue") + addr(""), {"A", "Rue", ""}, 9},
      {addr("abcde") + addr("") + addr("fghijkl"), {"abcde", "", "fghijkl"}, 9},
      // A byte below 32 stops the string; its partial text reaches no label.
      {std::string("\x1FHi\x09!", 5) + addr("x") + addr("y"), {"", "", ""}, 6},
      // 127 and 233 are copied like any other byte.
      {addr("\x7F\xE9") + addr("b") + addr("c"), {"\x7Fé", "b", "c"}, 9},
      // A negative length (length byte below 27) is refused too.
      {std::string("\x05", 1) + addr("b") + addr("c"), {"", "", ""}, 6},
  };
  for (const Case& c : cases) {
    const RecordTexts r = DecodeRecord(block(record(1, 1, 0, 0, 0, 0, c.tail)), 0, Decoder::Scan);
    EXPECT_EQ(r.written, c.written);
    for (int k = 0; k < 3; ++k)
      EXPECT_EQ(r.text[static_cast<size_t>(records::kAddr1 + k)], c.want[static_cast<size_t>(k)]);
  }
}

TEST(Decode, ReadScanAddressResults) {
  int32_t len = 99;
  std::string text = "old";
  EXPECT_FALSE(records::ReadScanAddress(block(std::string("\x1FHi\x09!", 5)), 0, len, text));
  EXPECT_EQ(len, 2);
  EXPECT_EQ(text, "Hi");
  EXPECT_FALSE(records::ReadScanAddress(block(std::string("\x1B", 1)), 0, len, text));
  EXPECT_EQ(len, 0);
  EXPECT_EQ(text, "");
  EXPECT_FALSE(records::ReadScanAddress(block(std::string("\x00", 1)), 0, len, text));
  EXPECT_EQ(len, -27);
  EXPECT_TRUE(records::ReadScanAddress(block(std::string(1, '\x1C') + "A"), 0, len, text));
  EXPECT_EQ(len, 1);
  EXPECT_EQ(text, "A");
}

TEST(Decode, LongLengthsAreReadWholeWhenTheyFit) {
  for (int n : {199, 200, 228}) {
    const std::string a(static_cast<size_t>(n), 'z');
    const auto mb = block(record(1, 1, 0, 0, 0, 0, addr(a) + addr("next") + addr("last")));
    for (Decoder d : {Decoder::MainWindow, Decoder::Scan}) {
      const RecordTexts r = DecodeRecord(mb, 0, d);
      EXPECT_EQ(r.text[records::kAddr1], a);
      EXPECT_EQ(r.text[records::kAddr2], "next");
      EXPECT_EQ(r.text[records::kAddr3], "last");
    }
  }
}

// Every length byte at every distance from the end of the buffer: fields
// outside show "", nothing is read outside (the sanitizers watch).
TEST(Decode, RecordsCutShortNeverReadOutside) {
  for (int lengthByte = 0; lengthByte < 256; ++lengthByte) {
    const std::string full =
        record(1, 1, 100000, -200000, 3, 4, std::string(1, static_cast<char>(lengthByte)) + std::string(300, 'q'));
    for (size_t cut = 0; cut <= 40 + static_cast<size_t>(lengthByte); ++cut) {
      const std::string bytes = full.substr(0, cut);
      const auto mb = block(bytes);
      for (Decoder d : {Decoder::MainWindow, Decoder::Scan}) {
        const RecordTexts r = DecodeRecord(mb, 0, d);
        EXPECT_EQ(r.text[records::kLon1].empty(), cut < 18);
        EXPECT_EQ(r.text[records::kLat2].empty(), cut < 32);
        const int n = lengthByte - 27;
        const bool whole = n >= 0 && cut >= 33 + static_cast<size_t>(n);
        if (d == Decoder::MainWindow) {
          EXPECT_EQ(r.text[records::kAddr1], whole ? std::string(static_cast<size_t>(n), 'q') : "")
              << lengthByte << " " << cut;
        }
      }
    }
  }
}

TEST(Decode, NegativeCoordinatesAndLimits) {
  const auto mb = block(record(1, 1, -2147483647 - 1, 2147483647, -1, 0, addr("") + addr("") + addr("")));
  const RecordTexts r = DecodeRecord(mb, 0, Decoder::MainWindow);
  EXPECT_EQ(r.text[records::kLon1], "-21474.83648");
  EXPECT_EQ(r.text[records::kLat1], "21474.83647");
  EXPECT_EQ(r.text[records::kLon2], "-0.00001");
  EXPECT_EQ(r.text[records::kLat2], "0");
}

TEST(Hexa, PairsBecomeBytes) {
  fw::MemoryBlock mb(4);
  EXPECT_EQ(records::hexa(mb, U"0A1"), 1);  // the odd last character is ignored
  EXPECT_EQ(mb.Byte(0), 10);
  EXPECT_EQ(mb.Byte(1), 0);
  EXPECT_EQ(records::hexa(mb, U""), 0);
  EXPECT_EQ(records::hexa(mb, U"ff7e"), 2);
  EXPECT_EQ(mb.Byte(0), 255);
  EXPECT_EQ(mb.Byte(1), 0x7E);
  // A pair that is not hexadecimal stops the conversion there.
  fw::MemoryBlock z(4);
  EXPECT_EQ(records::hexa(z, U"01G203"), 1);
  EXPECT_EQ(z.Byte(1), 0);
  EXPECT_EQ(z.Byte(2), 0);
  // Never past the buffer it is given.
  fw::MemoryBlock small(1);
  EXPECT_EQ(records::hexa(small, U"0102030405"), 1);
  EXPECT_EQ(small.Byte(0), 1);
}

TEST(Octet, TwoDigitCharactersMakeOneByte) {
  const auto mb = block("0912");
  EXPECT_EQ(records::Octet(mb, 0), 9);
  EXPECT_EQ(records::Octet(mb, 1), 18);
  EXPECT_EQ(records::Octet(block("A0"), 0), ((65 - 48) * 16) & 0xFF);
}
