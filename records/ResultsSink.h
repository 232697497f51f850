// The results step as the sink of a run: the records go into the lists and
// export texts in batches. A run's results start (the earlier ones are let
// go) only once its source has shown content, so a source that gives
// nothing leaves the earlier results as they were; once started, they are
// closed however the run ends, so that what was found stays well formed.
#pragma once

#include <span>

#include "records/Results.h"
#include "records/Search.h"

namespace records {

// What a run came to, for telling the investigator.
struct Outcome {
  RunEnd end = RunEnd::Done;
  uint64_t bytes = 0;  // of the source, read by the end
  uint64_t kept = 0;   // records that went into the lists
  bool begun = false;  // the earlier results were let go

  // A run that ended so before its source gave anything.
  static Outcome Before(RunEnd end) { return {end, 0, 0, false}; }
};

// What the details panel shows once a run's results start: nothing, so
// that a run finding no record never shows one that came from elsewhere
// beside its empty lists (every source the investigator reaches), or the
// record it showed (the hidden file button's run, which fills one list
// alone and leaves the rest of the window as it was).
enum class PanelAtStart { Kept, Blanked };

class ResultsSink : public RecordSink {
 public:
  explicit ResultsSink(ResultsHost& host, Lists lists = Lists::Both, PanelAtStart panel = PanelAtStart::Kept);

  void Begin() override;
  bool Records(std::vector<RecordTexts>&& batch) override;
  // The same for records the caller keeps. Throws std::bad_alloc, before
  // anything shows the batch, when memory runs short.
  void Add(std::span<const RecordTexts> batch);
  void Finish(RunEnd end, uint64_t bytes) override;

  const Outcome& outcome() const { return outcome_; }

 private:
  ResultsHost& host_;
  const Lists lists_;
  const PanelAtStart panel_;
  Outcome outcome_;
};

}  // namespace records
