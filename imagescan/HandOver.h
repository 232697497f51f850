// The hand-over between the scan's thread and the thread that shows it: the
// scan's search loop reports into this queue as its sink, the other side
// takes the events in order. It holds a bounded number of records: a scan
// that finds them faster than they are shown waits for room, and a stop
// ends the wait. The consumer is woken once per batch of events it has not
// yet looked at, not once per event.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <vector>

#include "records/Search.h"

namespace imagescan {

struct ScanEvent {
  enum Kind {
    Started,   // n: the image's length; the progress shows
    Begun,     // the first chunk brought bytes: the earlier results go
    Progress,  // n: bytes read so far
    Records,   // batch
    Finished,  // the last event: end, and n the bytes read by then
  } kind = Started;
  uint64_t n = 0;
  records::RunEnd end = records::RunEnd::Done;
  std::vector<records::RecordTexts> batch;
};

class HandOver : public records::RecordSink {
 public:
  // `wake` is called on the scan's thread, outside the lock, when an event
  // arrives and the consumer has not been woken since it last rearmed.
  // `hurry`, likewise once per rearming, when the queue holds half its room
  // or the end has come: the consumer should not wait for its next turn.
  HandOver(size_t maxRecords, std::stop_token stop, std::function<void()> wake, std::function<void()> hurry = {});

  // Scan side. Before anything is read: the progress shows for this length.
  void Started(uint64_t length);
  void Begin() override;
  // Only the latest count matters: one not yet taken is replaced.
  bool Read(uint64_t bytes) override;
  // Waits while the queue holds maxRecords or more, unless stopped; false
  // once stopped.
  bool Records(std::vector<records::RecordTexts>&& batch) override;
  // Records the end without allocating; a consumer that cannot be woken
  // for want of memory is woken by whatever ends the scan's thread.
  void Finish(records::RunEnd end, uint64_t bytes) override;

  // Consumer side. Rearm before taking: an event posted after it wakes the
  // consumer again. The end comes last, after every queued event.
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
  // Never throws: with no room to keep it, the batch is freed here.
  void GiveBack(std::vector<records::RecordTexts>&& batch) noexcept;
  // Frees the batches given back now, on the consumer's thread: the scan
  // has stopped and will not take another.
  void ReleaseSpent();

 private:
  void push(ScanEvent e);
  void notify(bool end);

  const size_t maxRecords_;
  const std::stop_token stop_;
  const std::function<void()> wake_, hurry_;
  std::function<void()> waitForRoom_;
  mutable std::mutex m_;
  std::condition_variable_any room_;
  std::deque<ScanEvent> queue_;
  size_t records_ = 0;
  bool woken_ = false, hurried_ = false;
  bool ended_ = false, endTaken_ = false;
  records::RunEnd end_ = records::RunEnd::Done;
  uint64_t endBytes_ = 0;
  std::vector<std::vector<records::RecordTexts>> spent_;
};

}  // namespace imagescan
