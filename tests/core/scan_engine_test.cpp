// A whole scan through the engine: the events it reports, in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "framework/core/BinaryStream.h"
#include "imagescan/ChunkReader.h"
#include "imagescan/ScanEngine.h"
#include "util/Images.h"
#include "util/Sources.h"

using imagescan::TailleBloc;
using namespace testutil;

namespace {
constexpr int64_t M10 = 10'000'000;

struct Recorder : records::RecordSink {
  std::vector<std::string> events;
  std::vector<records::RecordTexts> found;
  std::stop_source* stopAfterFirstBatch = nullptr;
  void Begin() override { events.push_back("first"); }
  bool Read(uint64_t bytes) override {
    events.push_back("progress " + std::to_string(bytes));
    return true;
  }
  bool Records(std::vector<records::RecordTexts>&& batch) override {
    events.push_back("records " + std::to_string(batch.size()));
    found.insert(found.end(), batch.begin(), batch.end());
    if (stopAfterFirstBatch) stopAfterFirstBatch->request_stop();
    return true;
  }
  void Finish(records::RunEnd end, uint64_t bytes) override {
    const char* names[] = {"done", "empty", "read error", "stopped", "memory short", "no resources"};
    events.push_back(std::string(names[static_cast<int>(end)]) + " " + std::to_string(bytes));
  }
};
}  // namespace

TEST(ScanEngine, EventsInOrder) {
  std::string img = zeros(25'000);
  putRecord(img, 3, "Rue A");
  putRecord(img, 9'990, "Rue B");  // straddles the first border
  putRecord(img, 24'950, "Rue C");
  MemorySource src(img, 10'000);
  Recorder rec;
  imagescan::RunScan(src, rec, {}, 10'000);
  // The first two chunks are read before the search begins.
  EXPECT_EQ(rec.events, (std::vector<std::string>{"first", "progress 20000", "records 2", "progress 25000", "records 1",
                                                  "done 25000"}));
  ASSERT_EQ(rec.found.size(), 3u);
  EXPECT_EQ(rec.found[0].text[records::kLon1], lon(3));
  EXPECT_EQ(rec.found[1].text[records::kAddr1], "Rue B");
  EXPECT_EQ(rec.found[2].text[records::kLon1], lon(24'950));
  EXPECT_EQ(rec.found[2].text[records::kPrecision], "(3) Numéro de rue");
}

TEST(ScanEngine, RealChunkSizeOverAFile) {
  std::string img = zeros(25'000'000);
  for (int64_t at : {int64_t{0}, M10 - 20, 2 * M10 - 1, int64_t{24'999'900}}) putRecord(img, at, "x");
  TempFile f(img);
  auto s = fw::BinaryStream::Open(f.path);
  imagescan::ChunkReader reader(*s, TailleBloc, 3);
  Recorder rec;
  imagescan::RunScan(reader, rec, {});
  std::vector<std::string> lons;
  for (const auto& r : rec.found) lons.push_back(r.text[records::kLon1]);
  EXPECT_EQ(lons, (std::vector<std::string>{lon(0), lon(M10 - 20), lon(2 * M10 - 1), lon(24'999'900)}));
  EXPECT_EQ(rec.events.back(), "done 25000000");
  EXPECT_EQ(rec.events[0], "first");
  EXPECT_EQ(rec.events[1], "progress 20000000");
}

TEST(ScanEngine, EmptyImage) {
  const std::string img;
  MemorySource src(img, 10'000);
  Recorder rec;
  imagescan::RunScan(src, rec, {}, 10'000);
  EXPECT_EQ(rec.events, (std::vector<std::string>{"empty 0"}));
}

TEST(ScanEngine, NoRecord) {
  const std::string img(15'000, '\x04');
  MemorySource src(img, 10'000);
  Recorder rec;
  imagescan::RunScan(src, rec, {}, 10'000);
  EXPECT_EQ(rec.events, (std::vector<std::string>{"first", "progress 15000", "done 15000"}));
}

TEST(ScanEngine, ReadFailureMidImage) {
  std::string img = zeros(50'000);
  putRecord(img, 100, "a");
  putRecord(img, 26'000, "b");
  putRecord(img, 31'000, "c");  // beyond the failure
  MemorySource src(img, 10'000, true, 27'000);
  Recorder rec;
  imagescan::RunScan(src, rec, {}, 10'000);
  EXPECT_EQ(rec.found.size(), 2u);
  EXPECT_EQ(rec.events.back(), "read error 27000");
}

TEST(ScanEngine, FirstReadFails) {
  const std::string img = zeros(50'000);
  MemorySource src(img, 10'000, true, 0);
  Recorder rec;
  imagescan::RunScan(src, rec, {}, 10'000);
  EXPECT_EQ(rec.events, (std::vector<std::string>{"read error 0"}));
}

TEST(ScanEngine, Stop) {
  std::string img = zeros(200'000);
  for (int64_t at = 0; at + 40 < 200'000; at += 40) putRecord(img, at, "");
  TempFile f(img);
  auto s = fw::BinaryStream::Open(f.path);
  std::stop_source stop;
  imagescan::ChunkReader reader(*s, 10'000, 2, stop.get_token());
  Recorder rec;
  rec.stopAfterFirstBatch = &stop;
  imagescan::RunScan(reader, rec, stop.get_token(), 10'000, 16);
  EXPECT_EQ(rec.found.size(), 16u);
  EXPECT_EQ(rec.events.back().rfind("stopped", 0), 0u);
}

namespace {
struct Growing : Recorder {
  uint64_t mostProgress = 0;
  bool Read(uint64_t bytes) override {
    mostProgress = std::max(mostProgress, bytes);
    return Recorder::Read(bytes);
  }
};
}  // namespace

TEST(ScanEngine, TheLengthAtOpenIsTheScope) {
  // 15,000,000 bytes that gain 10,000,000 during the scan: a record inside,
  // one that starts inside and runs past the length (its addresses lie
  // outside and show ""), and two in the part added, which are not read.
  std::string img = zeros(15'000'000);
  putRecord(img, 100, "inside");
  putRecord(img, 14'999'970, "across");  // its first address starts at +32, past the end
  std::string more = zeros(10'000'000);
  putRecord(more, 100, "after");
  putRecord(more, 6'000'000, "later");
  for (int workers : {-1, 0, 3}) {
    TempFile f(img);
    auto s = fw::BinaryStream::Open(f.path);
    ASSERT_EQ(s->Length(), 15'000'000u);
    std::unique_ptr<imagescan::ChunkSource> src;
    if (workers < 0) src = std::make_unique<imagescan::StreamChunks>(*s, TailleBloc);
    else src = std::make_unique<imagescan::ChunkReader>(*s, TailleBloc, workers);
    // The image grows once the scan has its source, before the first read.
    std::ofstream(f.path, std::ios::binary | std::ios::app)
        .write(more.data(), static_cast<std::streamsize>(more.size()));
    Growing rec;
    imagescan::RunScan(*src, rec, {});
    ASSERT_EQ(rec.found.size(), 2u) << workers;
    EXPECT_EQ(rec.found[0].text[records::kAddr1], "inside");
    EXPECT_EQ(rec.found[1].text[records::kLon1], lon(14'999'970));
    EXPECT_EQ(rec.found[1].text[records::kAddr1], "");
    EXPECT_EQ(rec.found[1].text[records::kAddr3], "");
    EXPECT_EQ(rec.events.back(), "done 15000000") << workers;
    EXPECT_EQ(rec.mostProgress, 15'000'000u);
    EXPECT_EQ(std::filesystem::file_size(f.path), 25'000'000u);  // it did grow
  }
}

TEST(ScanEngine, ProgressValue) {
  using imagescan::ProgressValue;
  EXPECT_EQ(ProgressValue(0, 25'000'000), 0);
  EXPECT_EQ(ProgressValue(10'000'000, 25'000'000), 20000);
  EXPECT_EQ(ProgressValue(1, 3), 16666);  // truncated
  EXPECT_EQ(ProgressValue(2, 3), 33333);
  EXPECT_EQ(ProgressValue(3, 3), 50000);
  EXPECT_EQ(ProgressValue(7, 3), 50000);  // never above the maximum
  EXPECT_EQ(ProgressValue(uint64_t{1} << 62, (uint64_t{1} << 62) + 1), 49999);
  EXPECT_FALSE(ProgressValue(10, 0).has_value());
}
