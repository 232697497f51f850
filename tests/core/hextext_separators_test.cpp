// Hex text copied with separators, as dump tools write it (bytes in lines,
// or spaced): why a record's characters stop short, and the markers that a
// separator splits, which the search cannot find.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/Text.h"
#include "recordgen.h"
#include "records/HexText.h"
#include "records/HexTextRecords.h"

using records::HexCut;

namespace {

std::u32string U(const std::string& utf8) { return fw::Utf8ToU32(utf8); }

const recordgen::Place kEiffel{3, 6, 229448, 4885837, 229413, 4885812, "Tour Eiffel", "75007 Paris", "France"};

// What CountSplitMarkers must give, the long way: the text without its
// separators and where each of its characters stood, and in it every match
// of the pattern; one whose characters did not stand together is split.
uint64_t splitMarkersOracle(const std::u32string& text) {
  std::u32string kept;
  std::vector<size_t> at;
  for (size_t i = 0; i < text.size(); ++i)
    if (!records::IsHexSeparator(text[i])) {
      kept += text[i];
      at.push_back(i);
    }
  uint64_t split = 0;
  for (size_t m = records::FindHexMarker(kept, 0); m != std::u32string::npos; m = records::FindHexMarker(kept, m + 1))
    if (at[m + records::kPatternLength - 1] - at[m] != records::kPatternLength - 1) ++split;
  return split;
}

std::vector<records::RecordTexts> found(const std::u32string& text, records::HexTextFaults& faults) {
  records::HexTextRecords<char32_t> source(text);
  std::vector<records::RecordTexts> all = records::Collect(source);
  faults = source.Faults();
  return all;
}

}  // namespace

TEST(HexRecordBytes, SaysWhyTheCharactersStopShort) {
  const std::u32string hex = U(recordgen::toHexUpper(recordgen::encodeRecord(kEiffel)));
  struct Case {
    std::u32string text;
    HexCut cut;
  };
  const Case cases[] = {
      {hex, HexCut::None},
      {hex + U"\n" + hex, HexCut::None},  // after its end, nothing of it
      {hex.substr(0, 90), HexCut::TextEnd},
      {hex.substr(0, 91), HexCut::TextEnd},  // a lone last digit
      {hex.substr(0, 60) + U"\n" + hex.substr(60), HexCut::Separator},
      {hex.substr(0, 41) + U" " + hex.substr(41), HexCut::Separator},  // inside a pair
      {hex.substr(0, 80) + U"\t" + hex.substr(80), HexCut::Separator},
      {hex.substr(0, 80) + U"\u00A0" + hex.substr(80), HexCut::Separator},
      {hex.substr(0, 80) + U"é" + hex.substr(80), HexCut::Other},
      {hex.substr(0, 81) + U"G" + hex.substr(82), HexCut::Other},
      {hex.substr(0, 64) + U"\n" + hex.substr(64), HexCut::Separator},  // in the first length pair
      // The text ends inside the record, whatever white space ends it:
      // after the cut, nothing of it can follow.
      {hex.substr(0, 90) + U"\n", HexCut::TextEnd},
      {hex.substr(0, 90) + U"\n\n", HexCut::TextEnd},
      {hex.substr(0, 90) + U"  ", HexCut::TextEnd},
      {hex.substr(0, 90) + U"\r\n\t \u2028", HexCut::TextEnd},
      {hex.substr(0, 91) + U"\n", HexCut::TextEnd},
      {hex.substr(0, 91) + U"  \r\n", HexCut::TextEnd},
      {hex.substr(0, 90) + U"\n5\n", HexCut::TextEnd},  // a last digit alone
      // More of the text after the cut: the record could have gone on.
      {hex.substr(0, 90) + U"\n4 5", HexCut::Separator},
      {hex.substr(0, 91) + U"\n4", HexCut::Separator},
      {hex.substr(0, 90) + U"\n\nG", HexCut::Separator},
      {hex.substr(0, 90) + U"G", HexCut::Other},  // a last character that is no digit
      {hex.substr(0, 91) + U"G\n", HexCut::Other},
  };
  for (const Case& c : cases) {
    HexCut cut = HexCut::TextEnd;
    const fw::MemoryBlock withReason = records::HexRecordBytes(c.text, 0, &cut);
    EXPECT_EQ(cut, c.cut) << fw::U32ToUtf8(c.text);
    // Asking why changes nothing of the bytes.
    const fw::MemoryBlock plain = records::HexRecordBytes(c.text, 0);
    EXPECT_EQ(withReason.Bytes(0, withReason.Size()), plain.Bytes(0, plain.Size()));
  }
}

TEST(CountSplitMarkers, MarkersAcrossASeparator) {
  const std::u32string m = U"0400030000000400060000000800";
  struct Case {
    std::u32string text;
    uint64_t split;
  };
  const Case cases[] = {
      {U"", 0},
      {m, 0},
      {m + U"\n" + m + U" " + m, 0},  // separators between markers only
      {m.substr(0, 10) + U"\n" + m.substr(10), 1},
      {m.substr(0, 1) + U"\r\n" + m.substr(1), 1},
      {m.substr(0, 27) + U"  \t " + m.substr(27), 1},
      {U"0400 0300 0000 0400 0600 0000 0800", 1},
      {m.substr(0, 14) + U"\n" + m.substr(14) + m.substr(0, 3) + U" " + m.substr(3), 2},
      {m.substr(0, 14) + U"x" + m.substr(14), 0},  // not a separator: no marker there
      {m.substr(0, 14) + U"\n", 0},                // half a marker
  };
  for (const Case& c : cases) {
    EXPECT_EQ(records::CountSplitMarkers(c.text), c.split) << fw::U32ToUtf8(c.text);
    EXPECT_EQ(splitMarkersOracle(c.text), c.split) << fw::U32ToUtf8(c.text);
  }
}

// Characters that are neither hex digits nor white space, the long way.
uint64_t otherCharactersOracle(const std::u32string& text) {
  uint64_t n = 0;
  for (const char32_t c : text) {
    const bool hex = (c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'f') || (c >= U'A' && c <= U'F');
    n += !hex && !records::IsHexSeparator(c);
  }
  return n;
}

TEST(CountOtherCharacters, NeitherDigitsNorWhiteSpace) {
  struct Case {
    std::u32string text;
    uint64_t others;
  };
  const Case cases[] = {
      {U"", 0},
      {U"0123456789abcdefABCDEF", 0},
      {U" \t\r\n\u00A0\u2028\u3000", 0},
      {U"00000000: 0400 0300  ..............H.", 17},
      {U"0x04, 0x00,", 4},
      {U"gG@`[{/:", 8},  // next to the digits and letters in the code table
      {U"é😀\uFFFD\u200B", 4},
      // Blocks of 16 characters: one other character at each place.
      {std::u32string(15, U'A') + U"g" + std::u32string(16, U'0'), 1},
      {std::u32string(16, U'A') + U"g" + std::u32string(15, U'0'), 1},
      {std::u32string(33, U'f') + U"\U0010FFFF", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(records::CountOtherCharacters(c.text), c.others) << fw::U32ToUtf8(c.text);
    EXPECT_EQ(otherCharactersOracle(c.text), c.others) << fw::U32ToUtf8(c.text);
  }
}

// Long texts, well past the counter's buffer, with separators anywhere:
// markers split across its boundaries are counted once, as the long way
// counts them; the other characters likewise.
TEST(CountSplitMarkers, SameAsTheTextSearchedWithoutItsSeparators) {
  recordgen::Rng rng{42};
  const std::u32string fragments[] = {U"0400030000000400060000000800",
                                      U(recordgen::toHexUpper(recordgen::encodeRecord(kEiffel))),
                                      U"04",
                                      U"00",
                                      U"0800",
                                      U"1B",
                                      U"zz",
                                      U"0x04, ",
                                      U"é😀"};
  const std::u32string separators[] = {U" ", U"\n", U"\r\n", U"\t", U"\u2028", U"   "};
  uint64_t splitSeen = 0;
  for (int round = 0; round < 60; ++round) {
    std::u32string text;
    const size_t length = static_cast<size_t>(rng.between(0, 40000));
    while (text.size() < length) {
      const std::u32string& sep = separators[rng.below(std::size(separators))];
      if (rng.chance(20)) text += sep;
      std::u32string f = fragments[rng.below(std::size(fragments))];
      if (rng.chance(20)) f.resize(static_cast<size_t>(rng.below(f.size() + 1)));
      if (rng.chance(40)) f.insert(static_cast<size_t>(rng.below(f.size() + 1)), sep);
      text += f;
    }
    const uint64_t split = splitMarkersOracle(text);
    splitSeen += split;
    ASSERT_EQ(records::CountSplitMarkers(text), split) << "round " << round;
    ASSERT_EQ(records::CountOtherCharacters(text), otherCharactersOracle(text)) << "round " << round;
  }
  EXPECT_GT(splitSeen, 1000u);
}

TEST(HexTextFaults, XxdPlainOutput) {
  // Two records, the second at byte 80, as `xxd -p` prints them: the first
  // row stops at the first line break, the second marker is split by one.
  const recordgen::Place home{3, 4, 235222, 4885661, 235200, 4885640, "12 rue de Rivoli", "75004 Paris", "France"};
  std::string bytes = recordgen::encodeRecord(home);
  ASSERT_LE(bytes.size(), 80u);
  bytes.resize(80, '\0');
  bytes += recordgen::encodeRecord(kEiffel);
  const std::u32string text = U(recordgen::xxdPlain(bytes));
  records::HexTextFaults faults;
  const auto rows = found(text, faults);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].text[records::kLon1], "2.35222");
  EXPECT_EQ(rows[0].text[records::kLat1], "48.85661");
  EXPECT_EQ(rows[0].text[records::kLat2], "");
  EXPECT_EQ(rows[0].text[records::kAddr1], "");
  EXPECT_EQ(faults.cutRecords, 1u);
  EXPECT_FALSE(faults.cutByOther);
  EXPECT_EQ(faults.splitMarkers, 1u);

  // 25 records: each found one spans a line break, each other is missing.
  recordgen::Rng rng{7};
  bytes.clear();
  for (int k = 0; k < 25; ++k) bytes += recordgen::encodeRecord(recordgen::randomPlace(rng));
  const auto many = found(U(recordgen::xxdPlain(bytes)), faults);
  EXPECT_GT(many.size(), 0u);
  EXPECT_LT(many.size(), 25u);
  EXPECT_EQ(faults.cutRecords, many.size());
  EXPECT_EQ(faults.splitMarkers, 25u - many.size());
  EXPECT_TRUE(faults.Any());
}

TEST(HexTextFaults, NoneInTextWhoseRecordsStandInOnePiece) {
  recordgen::Rng rng{3};
  std::u32string text = U"  ";
  for (int k = 0; k < 40; ++k)
    text += U(recordgen::toHexUpper(recordgen::encodeRecord(recordgen::randomPlace(rng)))) + (k % 2 ? U"\r\n" : U" ");
  records::HexTextFaults faults;
  EXPECT_EQ(found(text, faults).size(), 40u);
  EXPECT_FALSE(faults.Any());
  // A record cut by the text's end is no separator's doing: counted apart.
  const std::u32string hex = U(recordgen::toHexUpper(recordgen::encodeRecord(kEiffel)));
  found(hex.substr(0, 90), faults);
  EXPECT_FALSE(faults.Any());
  EXPECT_EQ(faults.endCutRecords, 1u);
  EXPECT_EQ(faults.cutRecords, 0u);
  // Another character inside a record is told apart from a separator.
  found(hex.substr(0, 80) + U"é" + hex.substr(80), faults);
  EXPECT_EQ(faults.cutRecords, 1u);
  EXPECT_TRUE(faults.cutByOther);
  EXPECT_EQ(faults.splitMarkers, 0u);
  EXPECT_EQ(faults.otherCharacters, 1u);
  EXPECT_EQ(faults.endCutRecords, 0u);
}

// Records nested in one another can all be cut by the text's end, each
// counted; one cut by a separator before the end is the separator's.
TEST(HexTextFaults, EveryRecordTheTextEndsInside) {
  const std::string inner = recordgen::encodeRecord(kEiffel);
  const recordgen::Place outerPlace{2, 5, 483201, 4575781, 483217, 4575798, inner, "69002 Lyon", ""};
  const std::u32string outer = U(recordgen::toHexUpper(recordgen::encodeRecord(outerPlace)));
  const std::u32string innerHex = U(recordgen::toHexUpper(inner));
  // Cut inside the inner record, which stands in the outer one's first address.
  const size_t cutAt = 66 + 100;
  records::HexTextFaults faults;
  EXPECT_EQ(found(outer.substr(0, cutAt) + U"\r\n", faults).size(), 2u);
  EXPECT_EQ(faults.endCutRecords, 2u);
  EXPECT_EQ(faults.cutRecords, 0u);
  EXPECT_FALSE(faults.Any());
  EXPECT_EQ(found(outer.substr(0, cutAt) + U"\n" + outer.substr(cutAt) + U"\n" + innerHex.substr(0, 50), faults).size(),
            3u);
  EXPECT_EQ(faults.cutRecords, 2u);
  EXPECT_EQ(faults.cutByOther, 0u);
  EXPECT_EQ(faults.endCutRecords, 1u);
}

// What the program asks of pasted text it does not ask of a text made from
// a file, which holds hex digits alone.
template <class T>
concept TellsFaults = requires(const T& t) {
  t.Faults();
};
static_assert(TellsFaults<records::HexTextRecords<char32_t>>);
static_assert(!TellsFaults<records::HexTextRecords<char>>);
