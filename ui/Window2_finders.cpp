// The two finders that run inside their button's action: a device settings
// file read whole, and hexadecimal text pasted into the text area. Both go
// through the one search loop into the results step.
#include <new>

#include "ChosenFile.h"
#include "ControlNames.h"
#include "Messages.h"
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

records::Outcome Window2::searchHere(records::RecordSource& source, records::Lists lists, records::PanelAtStart panel) {
  records::ResultsSink results(Results(), lists, panel);
  records::Search(source, results);
  return results.outcome();
}

void Window2::FichierPB1_Action() {
  std::optional<ui::WholeFile> file = ui::AskAndReadWholeFile(this);
  if (!file) return;
  records::FileRecords source(file->bytes, file->readEnd);
  const records::Outcome outcome = searchHere(source, records::Lists::Both, records::PanelAtStart::Blanked);
  // The file's bytes go before anything is said: memory may be short.
  const QString name = file->name;
  file.reset();
  ui::ShowRunEnd(this, ui::SourceKind::File, name, outcome);
}

void Window2::ChampTextePB_Action() {
  QString text = Control<fw::TextArea>(ui::kTextSource)->Text();
  if (text.isEmpty()) {
    fw::Seams::Get().MsgBox(this, "Vous devez coller un contenu dans le champ situé en haut de l'écran");
    return;
  }
  std::u32string chars;
  records::Outcome outcome = records::Outcome::Before(records::RunEnd::MemoryShort);
  records::HexTextFaults faults;
  try {
    chars = CodePoints(text);
    text = QString();
    records::HexTextRecords<char32_t> source(chars);
    outcome = searchHere(source, records::Lists::Both, records::PanelAtStart::Blanked);
    // Only of a run that went through the whole text: one cut short says
    // so, and its counts would not be those of the rows shown.
    if (outcome.end == records::RunEnd::Done) faults = source.Faults();
  } catch (const std::bad_alloc&) {
    // No room for the text's characters: nothing was searched.
  }
  // The text's copies go before anything is said: memory may be short, and
  // drawing the message needs some.
  text = QString();
  std::u32string().swap(chars);  // assigning an empty string would keep the buffer
  if (const std::optional<QString> cut = ui::HexTextFaultMessage(faults)) fw::Seams::Get().MsgBox(this, *cut);
  else ui::ShowRunEnd(this, ui::SourceKind::Text, {}, outcome);
}
