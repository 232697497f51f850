// The hidden twin of the settings-file button: a file turned into hex text
// and searched as pasted text is. It fills the all-records list and its
// export text alone, and leaves the unique list and the tab captions as they
// are.
#include <new>

#include "ControlNames.h"
#include "Window2.h"
#include "records/HexText.h"
#include "records/HexTextRecords.h"

void Window2::FichierPB11_Action() {
  List(ui::kAllRecordsList)->DeleteAllRows();
  std::optional<ui::WholeFile> file = ui::AskAndReadWholeFile(this);
  if (!file) return;
  file->file.stream->Close();
  // An empty file goes on: it gives an empty text and no record.
  std::string text;
  try {
    text = records::HexTextOf(file->bytes);
  } catch (const std::bad_alloc&) {
    ui::ShowRunEnd(this, ui::SourceKind::File, file->file.name, {records::RunEnd::MemoryShort, 0, 0, false});
    return;
  }
  const auto bytesRead = static_cast<uint64_t>(file->bytes.Size());
  file->bytes = fw::MemoryBlock();
  records::HexTextRecords<char> source(text, file->readEnd, bytesRead);
  runHere(source, records::Lists::AllRecordsOnly, ui::SourceKind::File, file->file.name);
}
