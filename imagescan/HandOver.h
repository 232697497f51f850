// The hand-over between the scan's thread and the thread that shows it: the
// engine reports into this queue as its observer, the other side takes the
// events in order. It holds a bounded number of records: a scan that finds
// them faster than they are shown waits for room, and a stop ends the wait.
// The consumer is woken once per batch of events it has not yet looked at,
// not once per event.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <vector>

#include "ScanEngine.h"

namespace imagescan {

struct ScanEvent {
  // MemoryShort: the scan ran out of memory and ended there.
  enum Kind { Started, FirstChunk, Progress, Records, Finished, MemoryShort } kind = Started;
  uint64_t n = 0;  // the length, or the bytes read so far
  ScanEnd end = ScanEnd::Done;
  std::vector<records::RecordTexts> batch;
};

class HandOver : public ScanObserver {
 public:
  // `wake` is called on the scan's thread, outside the lock, when an event
  // arrives and the consumer has not been woken since it last rearmed.
  // `hurry`, likewise once per rearming, when the queue holds half its room
  // or the end has come: the consumer should not wait for its next turn.
  HandOver(size_t maxRecords, std::stop_token stop, std::function<void()> wake, std::function<void()> hurry = {});

  // Scan side.
  void Started(uint64_t length) override;
  void FirstChunk() override;
  // Only the latest count matters: one not yet taken is replaced.
  void Progress(uint64_t bytesRead) override;
  // Waits while the queue holds maxRecords or more, unless stopped.
  void Records(std::vector<records::RecordTexts>&& batch) override;
  void Finished(ScanEnd end, uint64_t bytesRead) override;
  // Instead of Finished, when memory ran short during the scan.
  void MemoryRanShort();

  // Consumer side. Rearm before taking: an event posted after it wakes the
  // consumer again.
  void Rearm();
  std::optional<ScanEvent> Take();
  size_t QueuedRecords() const;
  // Called on the scan's thread, with the queue's lock held, each time
  // Records finds no room and is about to wait for it: lets a test act at
  // the moment the scan waits instead of guessing it with a sleep. Set it
  // before the scan starts; it must not call back into the queue.
  void OnWaitForRoom(std::function<void()> f) { waitForRoom_ = std::move(f); }

  // A batch the consumer is done with, freed on the scan's thread at its
  // next batch: its allocator then reuses the memory at once, where freed
  // on the consumer's thread it would be trimmed and faulted in again.
  void GiveBack(std::vector<records::RecordTexts>&& batch);

 private:
  void push(ScanEvent e);

  const size_t maxRecords_;
  const std::stop_token stop_;
  const std::function<void()> wake_, hurry_;
  std::function<void()> waitForRoom_;
  mutable std::mutex m_;
  std::condition_variable_any room_;
  std::deque<ScanEvent> queue_;
  size_t records_ = 0;
  bool woken_ = false, hurried_ = false;
  std::vector<std::vector<records::RecordTexts>> spent_;
};

}  // namespace imagescan
