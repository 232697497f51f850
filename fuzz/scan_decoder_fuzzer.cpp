// The scan's decoder and its address reader on any buffer and offset: every
// label the scan writes but the precision shows the main decoder's text for
// the same bytes; an address read whole has the length its byte gives, one
// that is not never holds more than the bytes before the block's end, and no
// address holds a byte below 32.
#include "FuzzInput.h"
#include "records/Record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in{data, size};
  const auto [mb, offset] = fuzz::RecordAt(in);

  const records::RecordTexts t = records::DecodeRecord(mb, offset, records::Decoder::Scan);
  FUZZ_CHECK(t.written >= 0 && t.written <= records::kFieldCount);
  for (int k = t.written; k < records::kFieldCount; ++k) FUZZ_CHECK(t.text[static_cast<size_t>(k)].empty());
  const records::RecordTexts m = records::DecodeRecord(mb, offset, records::Decoder::MainWindow);
  for (int k = records::kType; k < t.written; ++k)
    FUZZ_CHECK(t.text[static_cast<size_t>(k)] == m.text[static_cast<size_t>(k)]);
  (void)mb.Int32Value(offset);

  int32_t length = -1;
  std::string text;
  const bool whole = records::ReadScanAddress(mb, offset, length, text);
  const int64_t after = offset >= 0 && offset < mb.Size() ? mb.Size() - offset - 1 : 0;
  FUZZ_CHECK(static_cast<int64_t>(text.size()) <= after);
  if (whole || !text.empty()) FUZZ_CHECK(static_cast<int64_t>(text.size()) == length);
  for (const char c : text) FUZZ_CHECK(static_cast<uint8_t>(c) >= 32);
  return 0;
}
