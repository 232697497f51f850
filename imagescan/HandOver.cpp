#include "HandOver.h"

#include <new>

namespace imagescan {

HandOver::HandOver(size_t maxRecords, std::stop_token stop, std::function<void()> wake, std::function<void()> hurry)
    : maxRecords_(maxRecords), stop_(std::move(stop)), wake_(std::move(wake)), hurry_(std::move(hurry)) {}

void HandOver::push(ScanEvent e) {
  {
    std::lock_guard lock(m_);
    records_ += e.batch.size();
    queue_.push_back(std::move(e));
  }
  notify(false);
}

// Called outside the lock: the callbacks may take locks of their own.
void HandOver::notify(bool end) {
  bool wake = false, hurry = false;
  {
    std::lock_guard lock(m_);
    wake = !woken_;
    woken_ = true;
    hurry = !hurried_ && (end || records_ >= maxRecords_ / 2);
    hurried_ = hurried_ || hurry;
  }
  try {
    if (wake && wake_) wake_();
    if (hurry && hurry_) hurry_();
  } catch (const std::bad_alloc&) {
    // Posting the call found no room: the next event tries again, and the
    // end of the scan's thread wakes the consumer in any case.
    std::lock_guard lock(m_);
    woken_ = woken_ && !wake;
    hurried_ = hurried_ && !hurry;
  }
}

void HandOver::Started(uint64_t length) { push({ScanEvent::Started, length, {}, {}}); }
void HandOver::Begin() { push({ScanEvent::Begun, 0, {}, {}}); }

bool HandOver::Read(uint64_t bytes) {
  {
    std::lock_guard lock(m_);
    if (!queue_.empty() && queue_.back().kind == ScanEvent::Progress) {
      queue_.back().n = bytes;
      return !stop_.stop_requested();
    }
  }
  push({ScanEvent::Progress, bytes, {}, {}});
  return !stop_.stop_requested();
}

bool HandOver::Records(std::vector<records::RecordTexts>&& batch) {
  std::vector<std::vector<records::RecordTexts>> spent;
  {
    std::unique_lock lock(m_);
    if (records_ >= maxRecords_ && waitForRoom_) waitForRoom_();
    room_.wait(lock, stop_, [this] { return records_ < maxRecords_; });
    spent.swap(spent_);
  }
  if (stop_.stop_requested()) return false;
  push({ScanEvent::Records, 0, {}, std::move(batch)});
  return true;
}

void HandOver::Finish(records::RunEnd end, uint64_t bytes) {
  {
    std::lock_guard lock(m_);
    if (ended_) return;
    ended_ = true;
    end_ = end;
    endBytes_ = bytes;
  }
  notify(true);
}

void HandOver::GiveBack(std::vector<records::RecordTexts>&& batch) noexcept {
  try {
    std::lock_guard lock(m_);
    spent_.push_back(std::move(batch));
  } catch (const std::bad_alloc&) {
    // The list of spent batches could not grow (it is swapped empty at each
    // batch the scan hands on). The batch is left whole by the failed
    // push_back: it goes now, on this thread.
    std::vector<records::RecordTexts>().swap(batch);
  }
}

void HandOver::ReleaseSpent() {
  std::vector<std::vector<records::RecordTexts>> spent;
  {
    std::lock_guard lock(m_);
    spent.swap(spent_);
  }
}

void HandOver::Rearm() {
  std::lock_guard lock(m_);
  woken_ = false;
  hurried_ = false;
}

std::optional<ScanEvent> HandOver::Take() {
  std::optional<ScanEvent> e;
  {
    std::lock_guard lock(m_);
    if (queue_.empty()) {
      if (ended_ && !endTaken_) {
        endTaken_ = true;
        e = ScanEvent{ScanEvent::Finished, endBytes_, end_, {}};
      }
      return e;
    }
    e = std::move(queue_.front());
    queue_.pop_front();
    records_ -= e->batch.size();
  }
  room_.notify_all();
  return e;
}

size_t HandOver::QueuedRecords() const {
  std::lock_guard lock(m_);
  return records_;
}

}  // namespace imagescan
