// The consumer's side of the hand-over, with memory short at the moment it
// gives a batch back: the window's thread takes it inside a Qt event
// handler, which no exception may leave.
#include <gtest/gtest.h>

#include <vector>

#include "imagescan/HandOver.h"
#include "support/FailAllocations.h"

using imagescan::HandOver;
using imagescan::ScanEvent;

namespace {
std::vector<records::RecordTexts> batchOf(size_t n) {
  std::vector<records::RecordTexts> b(n);
  for (size_t k = 0; k < n; ++k) b[k].text[0] = "record " + std::to_string(k);
  return b;
}
}  // namespace

TEST(HandOverShortOfMemory, GivingBackNeverThrowsAndTheScanGoesOn) {
  HandOver q(100, {}, {});
  // The scan's first batch swaps the list of spent batches empty: giving
  // one back must then make room for it.
  ASSERT_TRUE(q.Records(batchOf(3)));
  std::optional<ScanEvent> e = q.Take();
  ASSERT_TRUE(e && e->kind == ScanEvent::Records);
  ASSERT_EQ(e->batch.size(), 3u);
  const int refusedBefore = testutil::FailAllocations::Refused();
  {
    testutil::FailAllocations none;
    EXPECT_NO_THROW(q.GiveBack(std::move(e->batch)));
  }
  EXPECT_GT(testutil::FailAllocations::Refused(), refusedBefore);  // it did need room
  // With no room to keep it, the batch went at once.
  EXPECT_EQ(e->batch.capacity(), 0u);

  // Once memory is back, the queue carries on as before.
  ASSERT_TRUE(q.Records(batchOf(2)));
  e = q.Take();
  ASSERT_TRUE(e && e->kind == ScanEvent::Records);
  EXPECT_EQ(e->batch.size(), 2u);
  EXPECT_EQ(e->batch[1].text[0], "record 1");
  q.GiveBack(std::move(e->batch));
  q.Finish(records::RunEnd::Done, 5);
  e = q.Take();
  ASSERT_TRUE(e);
  EXPECT_EQ(e->kind, ScanEvent::Finished);
  q.ReleaseSpent();
}
