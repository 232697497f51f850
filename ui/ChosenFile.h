// A file the investigator chooses in an open dialog, opened read-only, and
// a settings file read whole. Only a cancelled dialog is silent: a file
// that cannot be opened, is too large to read whole or leaves no room to
// read it is said in a message naming it, and nothing else changes.
#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "framework/core/BinaryStream.h"
#include "framework/core/MemoryBlock.h"
#include "records/Search.h"

class QWidget;

namespace ui {

struct ChosenFile {
  std::unique_ptr<fw::BinaryStream> stream;
  QString name;  // as chosen, without its folder
};

// Nothing when the user cancels or the file cannot be opened (said).
std::optional<ChosenFile> ChooseAndOpen(QWidget* parent, const QString& prompt, const QString& title);

struct WholeFile {
  QString name;  // as chosen, without its folder
  fw::MemoryBlock bytes;
  // Done, or ReadError when the file gave fewer bytes than its length.
  records::RunEnd readEnd = records::RunEnd::Done;
};

// Asks for a file ("Sélectionner un fichier .cfg (Mapsettings.cfg,...)",
// "Ouverture d'un fichier en lecture seule"), reads it whole and closes it. Nothing
// when the user cancels, the file cannot be opened, it is 2 GiB or more
// (read whole it would need as much memory again; the card image scan
// reads any size in chunks) or there is no room to read it; all but the
// cancel are said.
std::optional<WholeFile> AskAndReadWholeFile(QWidget* parent);

}  // namespace ui
