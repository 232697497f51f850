// The hidden twin of the settings-file button: a file turned into hex text
// and searched as pasted text is. It fills the all-records list and its
// export text alone, and leaves the unique list and the tab captions as they
// are.
#include "AppServices.h"
#include "Window2.h"
#include "WholeFile.h"
#include "records/HexText.h"
#include "records/Results.h"

void Window2::FichierPB11_Action() {
  List("Listbox1")->DeleteAllRows();
  std::optional<ui::WholeFile> file = ui::AskAndReadWholeFile(this);
  if (!file) return;
  // An empty file goes on: it gives an empty text and no record.
  std::string text = Hex2Text(file->bytes);
  records::ResultsHost& host = Results();
  host.Pressepapier(0).clear();
  host.Pressepapier(1).clear();
  records::ajoutePoints(host, records::FindRecordsInHexText(std::string_view(text)), records::Lists::AllRecordsOnly);
  host.Pressepapier(0).putHeaderInFront();
  file->stream->Close();
  ui::ReportReadError(this, *file);
}

std::string Window2::Hex2Text(const fw::MemoryBlock& mb) { return records::HexTextOf(mb); }
