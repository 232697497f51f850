// The hand-over between the scan's thread and the one that shows it: order,
// the bounded number of records, the wake-ups, and a stop ending the wait.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

#include "imagescan/HandOver.h"

using imagescan::HandOver;
using imagescan::ScanEvent;

namespace {
std::vector<records::RecordTexts> batchOf(size_t n, int first = 0) {
  std::vector<records::RecordTexts> b(n);
  for (size_t k = 0; k < n; ++k) b[k].text[0] = std::to_string(first + static_cast<int>(k));
  return b;
}

// What another thread signals, counted: the test waits for the count to
// pass what it has seen, with a generous deadline, instead of sleeping.
class Signals {
 public:
  void Post() {
    {
      std::lock_guard lock(m_);
      ++n_;
    }
    cv_.notify_all();
  }
  int Count() {
    std::lock_guard lock(m_);
    return n_;
  }
  // False if the count has not passed `seen` within a minute.
  bool WaitPast(int seen) {
    std::unique_lock lock(m_);
    return cv_.wait_for(lock, std::chrono::minutes(1), [&] { return n_ > seen; });
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  int n_ = 0;
};
}  // namespace

TEST(HandOver, EventsInOrderWithTheLatestProgressOnly) {
  int wakes = 0;
  HandOver q(100, {}, [&] { ++wakes; });
  q.Started(50);
  q.Read(10);
  q.Read(20);  // replaces the 10 not yet taken
  q.Records(batchOf(3));
  q.Read(30);
  q.Finish(records::RunEnd::Done, 30);
  EXPECT_EQ(wakes, 1);  // one wake until the consumer rearms
  EXPECT_EQ(q.QueuedRecords(), 3u);
  q.Rearm();
  std::vector<std::pair<int, uint64_t>> seen;
  while (auto e = q.Take()) seen.emplace_back(e->kind, e->kind == ScanEvent::Records ? e->batch.size() : e->n);
  EXPECT_EQ(seen, (std::vector<std::pair<int, uint64_t>>{{ScanEvent::Started, 50},
                                                         {ScanEvent::Progress, 20},
                                                         {ScanEvent::Records, 3},
                                                         {ScanEvent::Progress, 30},
                                                         {ScanEvent::Finished, 30}}));
  EXPECT_EQ(q.QueuedRecords(), 0u);
  EXPECT_FALSE(q.Take());  // the end is taken once
  q.Begin();
  EXPECT_EQ(wakes, 2);
}

TEST(HandOver, TheProducerWaitsForRoomAndEverythingArrivesInOrder) {
  // A fast producer and a consumer that takes only once the producer waits
  // for room or has finished: the queue fills to its limit, never holds
  // more than the limit plus the one batch let in below it, and gives
  // everything in order.
  std::stop_source stop;
  std::atomic<bool> woken{false};
  HandOver q(64, stop.get_token(), [&] { woken = true; });
  Signals turns;  // the producer waits for room, or has finished
  q.OnWaitForRoom([&] { turns.Post(); });
  constexpr int kBatches = 200, kBatch = 16;
  std::thread producer([&] {
    for (int b = 0; b < kBatches; ++b) q.Records(batchOf(kBatch, b * kBatch));
    q.Finish(records::RunEnd::Done, 0);
    turns.Post();
  });
  int next = 0;
  size_t most = 0;
  for (bool done = false; !done;) {
    const int seen = turns.Count();
    q.Rearm();
    most = std::max(most, q.QueuedRecords());
    while (auto e = q.Take()) {
      if (e->kind == ScanEvent::Finished) done = true;
      for (const auto& r : e->batch) EXPECT_EQ(r.text[0], std::to_string(next++));
    }
    if (!done && !turns.WaitPast(seen)) {
      ADD_FAILURE() << "the producer neither waited for room nor finished";
      stop.request_stop();
      break;
    }
  }
  producer.join();
  EXPECT_EQ(next, kBatches * kBatch);
  EXPECT_GE(most, 64u);
  EXPECT_LE(most, 64u + kBatch);
  EXPECT_TRUE(woken);
}

TEST(HandOver, AStopEndsTheWaitForRoom) {
  std::stop_source stop;
  HandOver q(10, stop.get_token(), {});
  q.Records(batchOf(10));  // full now
  Signals waiting;
  q.OnWaitForRoom([&] { waiting.Post(); });
  std::atomic<bool> through{false}, accepted{true};
  std::thread producer([&] {
    accepted = q.Records(batchOf(5));  // waits: nobody takes
    through = true;
  });
  EXPECT_TRUE(waiting.WaitPast(0));
  // The hook runs under the queue's lock, which the producer gives up only
  // inside the wait: once this count is read, the producer is waiting.
  EXPECT_EQ(q.QueuedRecords(), 10u);
  EXPECT_FALSE(through);
  stop.request_stop();
  producer.join();
  EXPECT_TRUE(through);
  // Once stopped, nothing more is queued: nobody would show it.
  EXPECT_FALSE(accepted);
  EXPECT_EQ(q.QueuedRecords(), 10u);
}
