// The hand-over's early call for the consumer (half the room taken, or the
// end come), the end on short memory, and batches given back.
#include <gtest/gtest.h>

#include <vector>

#include "imagescan/HandOver.h"

using imagescan::HandOver;
using imagescan::ScanEvent;

namespace {
std::vector<records::RecordTexts> batchOf(size_t n) { return std::vector<records::RecordTexts>(n); }
}  // namespace

TEST(HandOverHurry, OnceAtHalfTheRoomAndOnceAtTheEndPerRearming) {
  int wakes = 0, hurries = 0;
  HandOver q(
      100, {}, [&] { ++wakes; }, [&] { ++hurries; });
  q.Records(batchOf(30));
  q.Records(batchOf(19));
  EXPECT_EQ(hurries, 0);  // 49 of 100
  q.Records(batchOf(1));
  EXPECT_EQ(hurries, 1);  // 50 of 100
  q.Records(batchOf(10));
  EXPECT_EQ(hurries, 1);  // not again before the consumer rearms
  EXPECT_EQ(wakes, 1);
  q.Rearm();
  while (auto e = q.Take())
    if (e->kind == ScanEvent::Records) q.GiveBack(std::move(e->batch));
  EXPECT_EQ(q.QueuedRecords(), 0u);  // given back is not queued
  q.Finish(records::RunEnd::Done, 0);
  EXPECT_EQ(hurries, 2);  // the end, far below half the room
  EXPECT_EQ(wakes, 2);
}

TEST(HandOverHurry, MemoryShortEndsAfterWhatWasQueuedAndCallsForTheConsumer) {
  int hurries = 0;
  HandOver q(100, {}, {}, [&] { ++hurries; });
  q.Records(batchOf(2));
  q.Finish(records::RunEnd::MemoryShort, 7);
  q.Finish(records::RunEnd::Done, 9);  // the first end is the end
  EXPECT_EQ(hurries, 1);
  q.Rearm();
  std::vector<std::pair<int, records::RunEnd>> seen;
  while (auto e = q.Take()) seen.emplace_back(e->kind, e->end);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].first, ScanEvent::Records);
  EXPECT_EQ(seen[1], std::make_pair(int{ScanEvent::Finished}, records::RunEnd::MemoryShort));
}
