// The main decoder on any buffer and any offset, both decoders' rules: it
// reads only inside the block, whatever the length bytes say.
#include "FuzzInput.h"
#include "records/Record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in{data, size};
  const int16_t rawOffset = static_cast<int16_t>(in.u16());
  const uint8_t cut = in.byte();
  const fw::MemoryBlock mb = fuzz::Block(in.rest(), cut, cut & 1);
  // Mostly near the block, sometimes anywhere, negative included.
  const int64_t offset = (cut & 2) ? rawOffset : rawOffset % (mb.Size() + 40) - 20;
  for (const auto d : {records::Decoder::MainWindow, records::Decoder::Scan}) {
    const records::RecordTexts t = records::DecodeRecord(mb, offset, d);
    FUZZ_CHECK(t.written >= 0 && t.written <= records::kFieldCount);
  }
  return 0;
}
