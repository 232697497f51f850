// The one find -> decode -> report loop that every source of records runs
// through: the settings file, pasted hex text, the hidden file-as-hex-text
// run and the card-image scan. A source gives what it finds step by step;
// the loop batches the records and hands them to a sink, whose answers tell
// it to go on or to stop. How a run ends is decided here once, memory
// running short included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <vector>

#include "records/Record.h"

namespace records {

// Records handed to a sink at a time: large enough that the lists take them
// in few insertions, small enough that memory running short costs little.
inline constexpr size_t kBatch = 4096;

// How a run ended.
enum class RunEnd {
  Done,         // the whole source was searched
  Empty,        // the source holds no byte at all
  ReadError,    // a read failed, or the source ended before its length
  Stopped,      // a stop was asked for (the program quits, the window closed)
  MemoryShort,  // memory ran out; what was handed on before stays
  NoResources,  // the run could not even start (no thread, no buffer)
};

// One step of a source.
struct Found {
  enum Kind {
    Record,  // `record` holds the next record, in source order
    Read,    // `bytes` of the source have been read by now
    End,     // nothing follows; `end` says why, `bytes` how far it got
  } kind = End;
  RecordTexts record;
  uint64_t bytes = 0;
  RunEnd end = RunEnd::Done;

  static Found Of(RecordTexts r) { return {Record, std::move(r), 0, RunEnd::Done}; }
  static Found ReadSoFar(uint64_t bytes) { return {Read, {}, bytes, RunEnd::Done}; }
  static Found Ended(RunEnd end, uint64_t bytes) { return {End, {}, bytes, end}; }
};

// Where records come from. A source with any content says so by a Read
// before its first record: that is when a run's results start.
class RecordSource {
 public:
  virtual ~RecordSource() = default;
  // After End, every further call gives End again.
  virtual Found Next() = 0;
};

// Where a run's records go.
class RecordSink {
 public:
  virtual ~RecordSink() = default;
  // The source has content: the run's results start now. Called once, before
  // any Read or Records; never when the source ends before giving anything.
  virtual void Begin() = 0;
  // Bytes read so far; every record found before them has been handed on.
  // False stops the run.
  virtual bool Read(uint64_t bytes) { return (void)bytes, true; }
  // Records in source order; false stops the run. May throw std::bad_alloc,
  // which ends the run as memory running short.
  virtual bool Records(std::vector<RecordTexts>&& batch) = 0;
  // The last call, always made, also when nothing began.
  virtual void Finish(RunEnd end, uint64_t bytes) = 0;
};

// Runs `src` into `sink` to its end and returns how it ended. `stop` is
// looked at before every step. Memory running short anywhere in the loop
// (finding, decoding, batching, or in the sink) ends the run there.
RunEnd Search(RecordSource& src, RecordSink& sink, std::stop_token stop = {}, size_t batch = kBatch);

// Every record of a source, for callers that want them all at once.
std::vector<RecordTexts> Collect(RecordSource& src);

}  // namespace records
