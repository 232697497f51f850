#include "WholeFile.h"

#include "framework/core/Text.h"
#include "framework/gui/Seams.h"

namespace ui {

namespace {
constexpr uint64_t kLargestWholeFile = uint64_t{1} << 31;
}  // namespace

std::optional<WholeFile> AskAndReadWholeFile(QWidget* parent) {
  const auto path = fw::Seams::Get().OpenFile(parent, "Sélectionner un fichier .cfg (Mapsettings.cfg,...)",
                                              "Ouverture d'un fichier en lecture seule");
  if (!path) return std::nullopt;
  auto stream = fw::BinaryStream::Open(*path);
  if (!stream) return std::nullopt;
  if (stream->Length() >= kLargestWholeFile) {
    fw::Seams::Get().MsgBox(parent,
                            "Ce fichier est trop volumineux pour être lu en une seule fois : utilisez le "
                            "bouton « Image binaire (dd) ».");
    return std::nullopt;
  }
  WholeFile file;
  file.bytes = stream->ReadBlock(static_cast<int64_t>(stream->Length()));
  file.stream = std::move(stream);
  return file;
}

void ReportReadError(QWidget* parent, const WholeFile& file) {
  if (!file.stream->Failed()) return;
  fw::Seams::Get().MsgBox(
      parent, QString::fromStdString("Erreur de lecture : la lecture s'est arrêtée après " +
                                     fw::Format(static_cast<double>(file.bytes.Size()), "###,###,###,###,###") +
                                     " octets ; les résultats affichés ne portent que sur cette partie du fichier."));
}

}  // namespace ui
