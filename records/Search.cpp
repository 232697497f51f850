#include "Search.h"

#include <new>

namespace records {

RunEnd Search(RecordSource& src, RecordSink& sink, std::stop_token stop, size_t batchSize) {
  RunEnd end = RunEnd::Done;
  uint64_t bytes = 0;
  bool begun = false;
  std::vector<RecordTexts> batch;
  // What the sink took is its own; a batch not yet handed on when memory
  // runs short goes with the unwinding, which leaves room to end the run.
  auto handOn = [&] {
    if (batch.empty()) return true;
    const bool goOn = sink.Records(std::move(batch));
    batch = {};
    batch.reserve(batchSize);
    return goOn;
  };
  try {
    batch.reserve(batchSize);
    for (;;) {
      if (stop.stop_requested()) {
        end = RunEnd::Stopped;
        break;
      }
      Found f = src.Next();
      if (f.kind == Found::End) {
        // Nothing more to hand on after a stop: nobody shows it.
        if (stop.stop_requested()) {
          end = RunEnd::Stopped;
          break;
        }
        end = handOn() ? f.end : RunEnd::Stopped;
        bytes = f.bytes;
        break;
      }
      if (!begun) {
        begun = true;
        sink.Begin();
      }
      if (f.kind == Found::Read) {
        bytes = f.bytes;
        // Records found before these bytes were read go out before them.
        if (!handOn() || !sink.Read(bytes)) {
          end = RunEnd::Stopped;
          break;
        }
        continue;
      }
      batch.push_back(std::move(f.record));
      if (batch.size() >= batchSize && !handOn()) {
        end = RunEnd::Stopped;
        break;
      }
    }
  } catch (const std::bad_alloc&) {
    batch = {};
    end = RunEnd::MemoryShort;
  }
  sink.Finish(end, bytes);
  return end;
}

namespace {
class Collector : public RecordSink {
 public:
  std::vector<RecordTexts> all;
  void Begin() override {}
  bool Records(std::vector<RecordTexts>&& batch) override {
    all.insert(all.end(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
    return true;
  }
  void Finish(RunEnd, uint64_t) override {}
};
}  // namespace

std::vector<RecordTexts> Collect(RecordSource& src) {
  Collector c;
  Search(src, c);
  return std::move(c.all);
}

}  // namespace records
