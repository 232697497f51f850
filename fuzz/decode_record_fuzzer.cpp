// The main decoder on any buffer and any offset, both decoders' rules: it
// reads only inside the block, whatever the length bytes say.
#include "FuzzInput.h"
#include "records/Record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in{data, size};
  const auto [mb, offset] = fuzz::RecordAt(in);
  for (const auto d : {records::Decoder::MainWindow, records::Decoder::Scan}) {
    const records::RecordTexts t = records::DecodeRecord(mb, offset, d);
    FUZZ_CHECK(t.written >= 0 && t.written <= records::kFieldCount);
  }
  return 0;
}
