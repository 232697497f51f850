// The two finders that run inside their button's action: a device settings
// file read whole, and hexadecimal text pasted into the text area. Both go
// through the one search loop into the results step.
#include <new>

#include "ControlNames.h"
#include "Window2.h"
#include "framework/gui/Seams.h"
#include "records/FileRecords.h"
#include "records/HexTextRecords.h"
#include "records/ResultsSink.h"

namespace {
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
}  // namespace

void Window2::runHere(records::RecordSource& source, records::Lists lists, ui::SourceKind kind, const QString& name) {
  records::ResultsSink results(Results(), lists);
  records::Search(source, results);
  ui::ShowRunEnd(this, kind, name, results.outcome());
}

void Window2::FichierPB1_Action() {
  std::optional<ui::WholeFile> file = ui::AskAndReadWholeFile(this);
  if (!file) return;
  records::FileRecords source(file->bytes, file->readEnd);
  file->file.stream->Close();
  runHere(source, records::Lists::Both, ui::SourceKind::File, file->file.name);
}

void Window2::ChampTextePB_Action() {
  QString text = Control<fw::TextArea>(ui::kTextSource)->Text();
  if (text.isEmpty()) {
    fw::Seams::Get().MsgBox(this, "Vous devez coller un contenu dans le champ situé en haut de l'écran");
    return;
  }
  std::u32string chars;
  try {
    chars = CodePoints(text);
  } catch (const std::bad_alloc&) {
    ui::ShowRunEnd(this, ui::SourceKind::Text, {}, {records::RunEnd::MemoryShort, 0, 0, false});
    return;
  }
  text = QString();
  records::HexTextRecords<char32_t> source(chars);
  runHere(source, records::Lists::Both, ui::SourceKind::Text, {});
}
