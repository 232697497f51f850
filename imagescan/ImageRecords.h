// The records of a card image: its chunks in turn through the sliding
// search window, every marker decoded by the scan's rule where it lies.
// Each chunk that brings bytes is told as a Read, after the records found
// before it.
#pragma once

#include "Chunk.h"
#include "SearchWindow.h"
#include "records/Search.h"

namespace imagescan {

class ImageRecords : public records::RecordSource {
 public:
  ImageRecords(ChunkSource& src, int64_t chunk = TailleBloc);
  records::Found Next() override;

 private:
  records::RunEnd endNow() const;

  SearchWindow w_;
  uint64_t told_ = 0;  // bytes read, as last told
  bool started_ = false, over_ = false;
  bool found_ = false;  // pos_ is a search result not yet given
  int64_t pos_ = 0;
  int64_t from_ = 0;  // where the search goes on
};

}  // namespace imagescan
