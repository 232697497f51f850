// The two finders that run inside their button's action: a device settings
// file read whole, and hexadecimal text pasted into the text area.
#include "AppServices.h"
#include "Window2.h"
#include "WholeFile.h"
#include "framework/gui/Seams.h"
#include "records/HexText.h"
#include "records/MarkerSearch.h"
#include "records/Results.h"

namespace {
// Records handed to the results step at a time.
constexpr size_t kBatch = 4096;

// The text's code points as QString::toUcs4 gives them (a lone surrogate
// becomes U+FFFD), written straight into the string the finder reads
// rather than through a list of the same size.
std::u32string CodePoints(const QString& s) {
  std::u32string out;
  out.reserve(static_cast<size_t>(s.size()));
  const qsizetype n = s.size();
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t c = s[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1].unicode())) {
      out.push_back(QChar::surrogateToUcs4(c, s[i + 1].unicode()));
      ++i;
    } else {
      out.push_back(QChar::isSurrogate(c) ? U'\uFFFD' : char32_t{c});
    }
  }
  return out;
}

// A search that memory cut short: the investigator is told how many
// records the results hold.
void SayMemoryShort(QWidget* parent, uint64_t kept) {
  fw::Seams::Get().MsgBox(parent, QString::fromStdString(records::MemoireInsuffisante(kept)));
}
}  // namespace

void Window2::FichierPB1_Action() {
  std::optional<ui::WholeFile> file;
  try {
    file = ui::AskAndReadWholeFile(this);
  } catch (const std::bad_alloc&) {
    // No room for the file itself: nothing was searched, the results stay.
    SayMemoryShort(this, 0);
    return;
  }
  if (!file) return;
  const fw::MemoryBlock& buffer = file->bytes;
  const int64_t size = buffer.Size();
  if (size == 0) {
    ui::ReportReadError(this, *file);
    return;
  }

  records::ResultsHost& host = Results();
  host.NameTab(0);
  // Records go to the results step in batches as they are found: a file
  // packed with records never holds them all twice.
  bool memoryShort = false;
  try {
    std::vector<records::RecordTexts> found;
    found.reserve(kBatch);
    for (int64_t pos = chercheNextStart(buffer, 0); pos < size; pos = chercheNextStart(buffer, pos + 1)) {
      found.push_back(records::DecodeRecord(buffer, pos, records::Decoder::MainWindow));
      if (found.size() == kBatch) {
        records::ajoutePoints(host, found);
        found.clear();
      }
    }
    records::ajoutePoints(host, found);
  } catch (const std::bad_alloc&) {
    // The search stops where memory ran short; what the lists hold stays
    // and is closed as a whole run's results are.
    memoryShort = true;
  }
  records::ClosingStep(host);
  file->stream->Close();
  ui::ReportReadError(this, *file);
  if (memoryShort) SayMemoryShort(this, static_cast<uint64_t>(List("Listbox1")->LastIndex() + 1));
}

void Window2::ChampTextePB_Action() {
  QString text = Control<fw::TextArea>("TextSource")->Text();
  if (text.isEmpty()) {
    fw::Seams::Get().MsgBox(this, "Vous devez coller un contenu dans le champ situé en haut de l'écran");
    return;
  }
  records::ResultsHost& host = Results();
  host.NameTab(0);
  bool memoryShort = false;
  try {
    std::u32string chars = CodePoints(text);
    text = QString();
    const std::vector<records::RecordTexts> found = records::FindRecordsInHexText(chars);
    chars = std::u32string();
    for (size_t at = 0; at < found.size(); at += kBatch)
      records::ajoutePoints(host, std::span(found).subspan(at, std::min(kBatch, found.size() - at)));
  } catch (const std::bad_alloc&) {
    memoryShort = true;
  }
  records::ClosingStep(host);
  if (memoryShort) SayMemoryShort(this, static_cast<uint64_t>(List("Listbox1")->LastIndex() + 1));
}
