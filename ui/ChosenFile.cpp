#include "ChosenFile.h"

#include <new>

#include "Messages.h"
#include "framework/gui/Seams.h"

namespace ui {

namespace {
constexpr uint64_t kLargestWholeFile = uint64_t{1} << 31;
}  // namespace

std::optional<ChosenFile> ChooseAndOpen(QWidget* parent, const QString& prompt, const QString& title) {
  const std::optional<std::string> path = fw::Seams::Get().OpenFile(parent, prompt, title);
  if (!path) return std::nullopt;
  ChosenFile chosen;
  chosen.name = DisplayName(*path);
  fw::OpenError why;
  chosen.stream = fw::BinaryStream::Open(*path, &why);
  if (!chosen.stream) {
    fw::Seams::Get().MsgBox(parent, CannotOpenMessage(chosen.name, why));
    return std::nullopt;
  }
  return chosen;
}

std::optional<WholeFile> AskAndReadWholeFile(QWidget* parent) {
  std::optional<ChosenFile> chosen = ChooseAndOpen(parent, "Sélectionner un fichier .cfg (Mapsettings.cfg,...)",
                                                   "Ouverture d'un fichier en lecture seule");
  if (!chosen) return std::nullopt;
  fw::BinaryStream& stream = *chosen->stream;
  if (stream.Length() >= kLargestWholeFile) {
    fw::Seams::Get().MsgBox(parent, TooLargeMessage(chosen->name));
    return std::nullopt;
  }
  WholeFile file;
  try {
    file.bytes = stream.ReadBlock(static_cast<int64_t>(stream.Length()));
  } catch (const std::bad_alloc&) {
    ShowRunEnd(parent, SourceKind::File, chosen->name, records::Outcome::Before(records::RunEnd::MemoryShort));
    return std::nullopt;
  }
  file.readEnd = stream.Failed() ? records::RunEnd::ReadError : records::RunEnd::Done;
  file.name = chosen->name;
  stream.Close();
  return file;
}

}  // namespace ui
