// The hidden twin of the settings-file button: a file turned into hex text
// and searched as pasted text is. It fills the all-records list and its
// export text alone, and leaves the unique list and the tab captions as they
// are.
#include <new>

#include "ChosenFile.h"
#include "ControlNames.h"
#include "Messages.h"
#include "Window2.h"
#include "records/HexText.h"
#include "records/HexTextRecords.h"

void Window2::FichierPB11_Action() {
  List(ui::kAllRecordsList)->DeleteAllRows();
  std::optional<ui::WholeFile> file = ui::AskAndReadWholeFile(this);
  if (!file) return;
  const QString name = file->name;
  records::Outcome outcome = records::Outcome::Before(records::RunEnd::MemoryShort);
  // An empty file goes on: it gives an empty text and no record.
  std::string text;
  try {
    text = records::HexTextOf(file->bytes);
    const auto bytesRead = static_cast<uint64_t>(file->bytes.Size());
    const records::RunEnd readEnd = file->readEnd;
    file.reset();
    records::HexTextRecords<char> source(text, readEnd, bytesRead);
    outcome = searchHere(source, records::Lists::AllRecordsOnly, records::PanelAtStart::Kept);
  } catch (const std::bad_alloc&) {
    // No room for the hex text: nothing was searched.
  }
  // What the run held goes before anything is said: memory may be short.
  file.reset();
  std::string().swap(text);  // assigning an empty string would keep the buffer
  ui::ShowRunEnd(this, ui::SourceKind::File, name, outcome);
}
