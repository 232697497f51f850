#include "ResultsSink.h"

namespace records {

ResultsSink::ResultsSink(ResultsHost& host, Lists lists, PanelAtStart panel)
    : host_(host), lists_(lists), panel_(panel) {}

void ResultsSink::Begin() {
  if (lists_ == Lists::Both) {
    host_.NameTab(0);
  } else {
    // The all-records run leaves the tab captions and the unique list alone.
    host_.Pressepapier(0).clear();
    host_.Pressepapier(1).clear();
  }
  if (panel_ == PanelAtStart::Blanked) host_.ShowRecord(RecordTexts{});
  // Only once they are gone: a reset that memory cut short leaves the
  // earlier results as theirs, not this run's.
  outcome_.begun = true;
}

bool ResultsSink::Records(std::vector<RecordTexts>&& batch) {
  Add(batch);
  return true;
}

void ResultsSink::Add(std::span<const RecordTexts> batch) {
  ajoutePoints(host_, batch, lists_);
  outcome_.kept += batch.size();
}

void ResultsSink::Finish(RunEnd end, uint64_t bytes) {
  outcome_.end = end;
  outcome_.bytes = bytes;
  if (!outcome_.begun) return;
  if (lists_ == Lists::Both) ClosingStep(host_);
  else host_.Pressepapier(0).putHeaderInFront();
}

}  // namespace records
