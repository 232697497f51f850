// The two finders that run inside their button's action: a device settings
// file read whole, and hexadecimal text pasted into the text area.
#include "AppServices.h"
#include "Window2.h"
#include "WholeFile.h"
#include "framework/gui/Seams.h"
#include "records/HexText.h"
#include "records/MarkerSearch.h"

void Window2::FichierPB1_Action() {
  std::optional<ui::WholeFile> file = ui::AskAndReadWholeFile(this);
  if (!file) return;
  const fw::MemoryBlock& buffer = file->bytes;
  const int64_t size = buffer.Size();
  if (size == 0) {
    ui::ReportReadError(this, *file);
    return;
  }

  records::ResultsHost& host = Results();
  host.NameTab(0);
  std::vector<records::RecordTexts> found;
  for (int64_t pos = chercheNextStart(buffer, 0); pos < size; pos = chercheNextStart(buffer, pos + 1))
    found.push_back(records::DecodeRecord(buffer, pos, records::Decoder::MainWindow));
  records::ajoutePoints(host, found);
  records::ClosingStep(host);
  file->stream->Close();
  ui::ReportReadError(this, *file);
}

void Window2::ChampTextePB_Action() {
  const QString text = Control<fw::TextArea>("TextSource")->Text();
  if (text.isEmpty()) {
    fw::Seams::Get().MsgBox(this, "Vous devez coller un contenu dans le champ situé en haut de l'écran");
    return;
  }
  records::ResultsHost& host = Results();
  host.NameTab(0);
  const QList<uint> ucs4 = text.toUcs4();
  const std::u32string chars(ucs4.begin(), ucs4.end());
  records::ajoutePoints(host, records::FindRecordsInHexText(chars));
  records::ClosingStep(host);
}
