// The records of bytes held whole, such as a settings file read at once:
// every marker in turn, each next search starting one byte after the
// previous marker (so a marker inside a record is a record of its own),
// decoded by the main window's rule.
#pragma once

#include "framework/core/MemoryBlock.h"
#include "records/Search.h"

namespace records {

class FileRecords : public RecordSource {
 public:
  // `readEnd` is how reading the bytes ended: Done, or ReadError when the
  // file gave fewer bytes than its length. The bytes must outlive the source.
  explicit FileRecords(const fw::MemoryBlock& bytes, RunEnd readEnd = RunEnd::Done);
  Found Next() override;

 private:
  const fw::MemoryBlock& mb_;
  const RunEnd readEnd_;
  bool started_ = false;
  int64_t pos_ = 0;
};

}  // namespace records
