// The scan thread's record methods, each thin over the function that does
// the work (see ThreadDD.h).
#include <algorithm>

#include "ControlNames.h"
#include "ThreadDD.h"
#include "framework/core/Text.h"
#include "framework/gui/Controls.h"
#include "imagescan/ScanEngine.h"
#include "imagescan/SearchWindow.h"
#include "records/Record.h"

int32_t ThreadDD::chercheNextStartImage(fw::MemoryBlock& fenetre, fw::MemoryBlock& blocActuel,
                                        fw::MemoryBlock& blocSuivant, int32_t start, fw::BinaryStream& stream) {
  const double length = static_cast<double>(stream.Length());
  // Each chunk read adds its share to what the bar and the count show.
  auto addChunk = [this, length](int64_t s) {
    auto* bar = window_.Control<fw::ProgressBar>(ui::kProgressBar);
    if (length > 0) {
      const double v = bar->value() + static_cast<double>(s) * (imagescan::EchelleProgression / length);
      bar->setValue(static_cast<int>(std::min<double>(v, imagescan::EchelleProgression)));
    }
    auto* count = window_.Control<fw::StaticText>(ui::kBytesRead);
    count->SetText(fw::GroupedThousands(fw::CDbl(count->Text()) + static_cast<double>(s)));
  };
  return static_cast<int32_t>(imagescan::chercheNextStartImage(fenetre, blocActuel, blocSuivant, start, stream,
                                                               imagescan::TailleBloc, addChunk));
}

void ThreadDD::Decoupe(const fw::MemoryBlock& mb, int32_t p) {
  const records::RecordTexts r = records::DecodeRecord(mb, p, records::Decoder::Scan);
  for (int k = 0; k < r.written; ++k)
    window_.Control<fw::StaticText>(ui::kPanelLabels[k])->SetText(r.text[static_cast<size_t>(k)]);
}

int32_t ThreadDD::calcval(const fw::MemoryBlock& mb, int32_t off) { return mb.Int32Value(off).value_or(0); }

bool ThreadDD::getChaine(const fw::MemoryBlock& mb, int32_t start, int32_t& length, std::string& text) {
  return records::ReadScanAddress(mb, start, length, text);
}
