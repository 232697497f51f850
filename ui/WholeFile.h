// A file chosen in the settings-file dialog and read whole, as both
// "Fichier .cfg" buttons do.
#pragma once

#include <memory>
#include <optional>

#include "framework/core/BinaryStream.h"
#include "framework/core/MemoryBlock.h"

class QWidget;

namespace ui {

struct WholeFile {
  std::unique_ptr<fw::BinaryStream> stream;  // still open, read to its end
  fw::MemoryBlock bytes;
};

// Asks for a file ("Sélectionner un fichier .cfg (Mapsettings.cfg,...)",
// "Ouverture d'un fichier en lecture seule") and reads it whole, read-only.
// Nothing when the user cancels or the file cannot be opened (silently), or
// when it is 2 GiB or more (said in a message: read whole, it would need as
// much memory again; the card image scan reads any size in chunks).
std::optional<WholeFile> AskAndReadWholeFile(QWidget* parent);

// Says, when the read failed or the file ended before its length, how much
// was read: what a run found there must not pass for the whole file's.
void ReportReadError(QWidget* parent, const WholeFile& file);

}  // namespace ui
