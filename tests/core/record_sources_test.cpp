// Every source of records over the same bytes, through the one search loop:
// the settings file held whole, the hex text as pasted characters and as
// bytes made from a file, and the card image over every chunk source. Each
// case says what each family of sources gives, and where the families part:
// the scan spells out precision code 3 and stops an address at a byte below
// 32; the hex text also matches at an odd character, which no byte can hold.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "framework/core/BinaryStream.h"
#include "framework/core/MemoryBlock.h"
#include "imagescan/ChunkReader.h"
#include "imagescan/ImageRecords.h"
#include "recordgen.h"
#include "records/FileRecords.h"
#include "records/HexText.h"
#include "records/HexTextRecords.h"
#include "records/Search.h"
#include "util/Sources.h"

using records::RunEnd;

namespace {

// Small enough that records straddle chunk borders and the window slides
// many times, large enough that every record here lies whole in a window
// that can still slide (a record of at most 63 bytes).
constexpr int64_t kChunk = 64;
// Fewer records per batch than some cases hold.
constexpr size_t kBatch = 3;

using Texts = std::array<std::string, records::kFieldCount>;

enum class Family { File, HexText, Image };

struct Case {
  const char* name;
  std::string bytes;
  // What the main window's decoder gives: the file and the hex text.
  std::vector<Texts> main;
  // The hex text, where it finds more than the bytes hold.
  std::optional<std::vector<Texts>> hex = std::nullopt;
  // The scan, where its address rule gives other texts than `main`. Its
  // precision label is put in either way.
  std::optional<std::vector<Texts>> scan = std::nullopt;
  // Reading fails after this many bytes.
  int64_t readTo = -1;
};

// ---- expected values, independent of the code under test --------------------

const recordgen::Place kEiffel{3, 6, 229448, 4885837, 229413, 4885812, "Tour Eiffel", "75007 Paris", "France"};
const Texts kEiffelTexts{"(3) No de rue", "(6) Saisie à partir du POI",
                         "2.29448",       "48.85837",
                         "2.29413",       "48.85812",
                         "Tour Eiffel",   "75007 Paris",
                         "France"};
// The same point saved again as a favourite.
const recordgen::Place kEiffelFavourite{3, 3, 229448, 4885837, 229413, 4885812, "Tour Eiffel", "", ""};
const Texts kEiffelFavouriteTexts{"(3) No de rue", "(3) Favoris", "2.29448", "48.85837", "2.29413",
                                  "48.85812",      "Tour Eiffel", "",        ""};
// An empty first address, then two more.
const recordgen::Place kLyon{3, 4, 483566, 4576404, 483601, 4576421, "", "69002 Lyon", "Rh\xF4ne"};
const Texts kLyonTexts{"(3) No de rue", "(4) Domicile", "4.83566", "45.76404", "4.83601", "45.76421", "",
                       "69002 Lyon",    "Rhône"};
// Every byte below 128, so that its text inside another record's address is
// its own bytes.
const recordgen::Place kSmall{1, 1, 100, 120, 101, 121, "A", "", ""};
const Texts kSmallTexts{"(1) centre ville",
                        "(1) Saisie à partir de la carte ou d'un code postal",
                        "0.001",
                        "0.0012",
                        "0.00101",
                        "0.00121",
                        "A",
                        "",
                        ""};
// A tab inside the second address.
const recordgen::Place kTab{2, 5, 235222, 4885661, 235205, 4885674, "Pl. Dauphine", "75001\tParis", "FR"};
const Texts kTabTexts{"(2) Croisement", "(5) Saisie par adresse", "2.35222",      "48.85661", "2.35205",
                      "48.85674",       "Pl. Dauphine",           "75001\tParis", "FR"};

std::string bytesOf(const recordgen::Place& p) { return recordgen::encodeRecord(p); }
std::string zeros(size_t n) { return std::string(n, '\0'); }

// The `at` first texts of a record, the others "".
Texts cut(const Texts& t, size_t at) {
  Texts r;
  for (size_t k = 0; k < at; ++k) r[k] = t[k];
  return r;
}

// Hexadecimal digits back to the bytes they spell.
std::string fromHex(const std::string& hex) {
  auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(digit(hex[i]) * 16 + digit(hex[i + 1]));
  return out;
}

// Record i of a run of many, and its texts.
recordgen::Place many(int i) { return {1, 7, 123450 + i, 4500000 + i, 0, 0, "Rue " + std::to_string(i), "", ""}; }
Texts manyTexts(int i) {
  const std::string d = std::to_string(i);
  return {"(1) centre ville",
          "(7) Départ du dernier trajet calculé",
          "1.2345" + d,
          "45.0000" + d,
          "0",
          "0",
          "Rue " + d,
          "",
          ""};
}

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = [] {
    std::vector<Case> c;
    c.push_back({"no byte at all", "", {}});

    std::string nearMiss = recordgen::markerBytes(3, 5);
    nearMiss[12] = 9;
    std::string noMarker = nearMiss;
    for (int i = 0; i < 50; ++i) noMarker += std::string("\x04\x00", 2);
    // Two whole chunks: with the end seen late, a last read brings nothing.
    c.push_back({"bytes with no marker", noMarker + nearMiss, {}});

    // Its last byte is the last byte too.
    c.push_back({"a record at offset 0", bytesOf(kEiffel), {kEiffelTexts}});

    // The second marker straddles the second chunk border.
    c.push_back(
        {"two records of one point",
         std::string(5, '\xFF') + bytesOf(kEiffel) + zeros(52) + bytesOf(kEiffelFavourite) + std::string(7, '\xFF'),
         {kEiffelTexts, kEiffelFavouriteTexts}});

    // The scan stops the outer record's first address at the inner marker's
    // first byte (4) and leaves the later addresses unwritten.
    recordgen::Place outer = kEiffel;
    outer.addr1 = bytesOf(kSmall);
    outer.addr2 = outer.addr3 = "";
    Texts outerTexts = kEiffelTexts;
    outerTexts[records::kAddr1] = bytesOf(kSmall);
    outerTexts[records::kAddr2] = outerTexts[records::kAddr3] = "";
    c.push_back({"a marker inside a decoded record's address",
                 zeros(3) + bytesOf(outer) + zeros(3),
                 {outerTexts, kSmallTexts},
                 std::nullopt,
                 std::vector<Texts>{cut(outerTexts, records::kAddr1), kSmallTexts}});

    // Its marker straddles the first chunk border.
    c.push_back({"an empty first address, then two", zeros(58) + bytesOf(kLyon) + zeros(20), {kLyonTexts}});

    c.push_back({"a record cut inside its second latitude",
                 "\x01\x02\x03" + bytesOf(kEiffel).substr(0, 30),
                 {cut(kEiffelTexts, records::kLat2)}});
    c.push_back({"a record cut inside its second address",
                 zeros(70) + bytesOf(kEiffel).substr(0, 50),
                 {cut(kEiffelTexts, records::kAddr2)}});

    c.push_back({"a byte below 32 in an address",
                 zeros(9) + bytesOf(kTab) + zeros(9),
                 {kTabTexts},
                 std::nullopt,
                 std::vector<Texts>{cut(kTabTexts, records::kAddr2)}});

    std::string run;
    std::vector<Texts> runTexts;
    for (int i = 1; i <= 7; ++i) {
      run += zeros(static_cast<size_t>(3 * i)) + bytesOf(many(i));
      runTexts.push_back(manyTexts(i));
    }
    c.push_back({"more records than a batch", run, runTexts});

    // The second record is cut by the failed read inside its second address;
    // the third is never read.
    const std::string threeRecords =
        bytesOf(kEiffel) + zeros(20) + bytesOf(kLyon) + zeros(20) + bytesOf(kEiffelFavourite);
    c.push_back({"a read error part-way",
                 threeRecords,
                 {kEiffelTexts, cut(kLyonTexts, records::kAddr2)},
                 std::nullopt,
                 std::nullopt,
                 63 + 20 + 37});
    c.push_back({"a read error at the first byte", threeRecords, {}, std::nullopt, std::nullopt, 0});

    // A record's hex text one digit into the text: its bytes straddle byte
    // boundaries, so only the hex text holds it.
    c.push_back({"a record at an odd character of the hex text",
                 bytesOf(kEiffel) + fromHex("1" + recordgen::toHexUpper(bytesOf(kLyon)) + "0"),
                 {kEiffelTexts},
                 std::vector<Texts>{kEiffelTexts, kLyonTexts}});
    return c;
  }();
  return cases;
}

// The scan spells out precision code 3; its other texts are the main
// decoder's.
std::vector<Texts> withScanLabel(std::vector<Texts> v) {
  for (Texts& t : v)
    if (t[records::kPrecision] == "(3) No de rue") t[records::kPrecision] = "(3) Numéro de rue";
  return v;
}

std::vector<Texts> expectedRecords(Family f, const Case& c) {
  if (f == Family::HexText && c.hex) return *c.hex;
  if (f == Family::Image) return c.scan ? withScanLabel(*c.scan) : withScanLabel(c.main);
  return c.main;
}

struct Outcome {
  RunEnd end;
  uint64_t bytes;
  bool begins;
};

Outcome expectedOutcome(Family f, const Case& c) {
  // A failed read reports the bytes read before it; content begins a run.
  if (c.readTo >= 0) return {RunEnd::ReadError, static_cast<uint64_t>(c.readTo), c.readTo > 0};
  const uint64_t size = c.bytes.size();
  // A text's positions count characters, two per byte; any text, even an
  // empty one, has content.
  if (f == Family::HexText) return {RunEnd::Done, 2 * size, true};
  return {size > 0 ? RunEnd::Done : RunEnd::Empty, size, size > 0};
}

// ---- the sources ------------------------------------------------------------

// What one run reads from, and its source, which goes first.
struct Held {
  fw::MemoryBlock block;
  std::u32string chars;
  std::string text;
  std::optional<testutil::TempFile> file;
  std::unique_ptr<fw::BinaryStream> stream;
  std::unique_ptr<imagescan::ChunkSource> chunks;
  std::unique_ptr<records::RecordSource> records;
};

std::string bytesRead(const Case& c) {
  return c.readTo < 0 ? c.bytes : c.bytes.substr(0, static_cast<size_t>(c.readTo));
}

template <class Char>
std::unique_ptr<records::RecordSource> hexRecords(std::basic_string_view<Char> text, const Case& c) {
  if (c.readTo < 0) return std::make_unique<records::HexTextRecords<Char>>(text);
  return std::make_unique<records::HexTextRecords<Char>>(text, RunEnd::ReadError, static_cast<uint64_t>(c.readTo));
}

void imageInMemory(const Case& c, Held& r, bool eofAtLength) {
  r.chunks = std::make_unique<testutil::MemorySource>(c.bytes, kChunk, eofAtLength, c.readTo);
  r.records = std::make_unique<imagescan::ImageRecords>(*r.chunks, kChunk);
}

// `workers` below 0: the stream read chunk after chunk, without a reader.
void imageInFile(const Case& c, Held& r, int workers) {
  r.file.emplace(c.bytes);
  r.stream = fw::BinaryStream::Open(r.file->path);
  if (!r.stream) return;
  // A read error part-way: the file shrinks once open, and ends before the
  // length taken at open. Before the reader starts, whose workers read ahead.
  if (c.readTo >= 0 && ::truncate(r.file->path.c_str(), c.readTo) != 0) return;
  if (workers < 0) r.chunks = std::make_unique<imagescan::StreamChunks>(*r.stream, kChunk);
  else r.chunks = std::make_unique<imagescan::ChunkReader>(*r.stream, kChunk, workers);
  r.records = std::make_unique<imagescan::ImageRecords>(*r.chunks, kChunk);
}

struct Source {
  const char* name;
  Family family;
  std::function<void(const Case&, Held&)> make;
};

const Source kSources[] = {
    {"file", Family::File,
     [](const Case& c, Held& r) {
       r.block = fw::MemoryBlock::FromBytes(bytesRead(c));
       r.records = std::make_unique<records::FileRecords>(r.block, c.readTo < 0 ? RunEnd::Done : RunEnd::ReadError);
     }},
    {"hex text as characters", Family::HexText,
     [](const Case& c, Held& r) {
       const std::string hex = recordgen::toHexUpper(bytesRead(c));
       r.chars.assign(hex.begin(), hex.end());
       r.records = hexRecords<char32_t>(r.chars, c);
     }},
    {"hex text as bytes", Family::HexText,
     [](const Case& c, Held& r) {
       r.text = records::HexTextOf(fw::MemoryBlock::FromBytes(bytesRead(c)));
       r.records = hexRecords<char>(r.text, c);
     }},
    {"image in memory", Family::Image, [](const Case& c, Held& r) { imageInMemory(c, r, true); }},
    {"image in memory, end seen late", Family::Image, [](const Case& c, Held& r) { imageInMemory(c, r, false); }},
    {"image stream", Family::Image, [](const Case& c, Held& r) { imageInFile(c, r, -1); }},
    {"image reader, no worker", Family::Image, [](const Case& c, Held& r) { imageInFile(c, r, 0); }},
    {"image reader, 1 worker", Family::Image, [](const Case& c, Held& r) { imageInFile(c, r, 1); }},
    {"image reader, 3 workers", Family::Image, [](const Case& c, Held& r) { imageInFile(c, r, 3); }},
};

// ---- the runner ---------------------------------------------------------------

// The sink's calls in order: B(egin), r(ead), R(ecords), F(inish).
struct Recording : records::RecordSink {
  std::string calls;
  std::vector<Texts> found;
  std::vector<size_t> batches;
  RunEnd end = RunEnd::NoResources;
  uint64_t bytes = 0;

  void Begin() override { calls += 'B'; }
  bool Read(uint64_t) override {
    calls += 'r';
    return true;
  }
  bool Records(std::vector<records::RecordTexts>&& batch) override {
    calls += 'R';
    batches.push_back(batch.size());
    for (const auto& r : batch) found.push_back(r.text);
    return true;
  }
  void Finish(RunEnd e, uint64_t n) override {
    calls += 'F';
    end = e;
    bytes = n;
  }
};

const char* nameOf(RunEnd e) {
  static const char* names[] = {"Done", "Empty", "ReadError", "Stopped", "MemoryShort", "NoResources"};
  return names[static_cast<int>(e)];
}

class RecordSources : public testing::TestWithParam<std::tuple<size_t, size_t>> {};

TEST_P(RecordSources, SameCasesEverySource) {
  const Source& source = kSources[std::get<0>(GetParam())];
  const Case& c = Cases()[std::get<1>(GetParam())];
  Held run;
  source.make(c, run);
  ASSERT_NE(run.records, nullptr) << "the source could not be set up";

  Recording sink;
  const RunEnd end = records::Search(*run.records, sink, {}, kBatch);

  const Outcome want = expectedOutcome(source.family, c);
  EXPECT_STREQ(nameOf(end), nameOf(want.end));
  EXPECT_STREQ(nameOf(sink.end), nameOf(want.end));
  EXPECT_EQ(sink.bytes, want.bytes);
  // Begin once and first when there is content, never otherwise; Finish
  // once and last.
  const auto count = [&](char k) { return std::count(sink.calls.begin(), sink.calls.end(), k); };
  EXPECT_EQ(count('B'), want.begins ? 1 : 0) << sink.calls;
  if (want.begins) EXPECT_EQ(sink.calls.front(), 'B') << sink.calls;
  else EXPECT_EQ(sink.calls, "F");
  EXPECT_EQ(count('F'), 1) << sink.calls;
  EXPECT_EQ(sink.calls.back(), 'F') << sink.calls;
  for (size_t n : sink.batches) {
    EXPECT_GE(n, 1u);
    EXPECT_LE(n, kBatch);
  }
  EXPECT_EQ(sink.found, expectedRecords(source.family, c));
}

std::string testName(const testing::TestParamInfo<std::tuple<size_t, size_t>>& i) {
  std::string n = std::string(kSources[std::get<0>(i.param)].name) + "__" + Cases()[std::get<1>(i.param)].name;
  for (char& ch : n)
    if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return n;
}

INSTANTIATE_TEST_SUITE_P(Table, RecordSources,
                         testing::Combine(testing::Range<size_t>(0, std::size(kSources)),
                                          testing::Range<size_t>(0, Cases().size())),
                         testName);

}  // namespace
