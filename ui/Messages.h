// What the investigator is told when a source cannot be used or a run ends
// short, in one place. Each message names the file as it was chosen and
// says whether the results on screen come from it: a source that gave
// nothing never lets the results already shown pass for its own.
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "framework/core/BinaryStream.h"
#include "records/HexTextRecords.h"
#include "records/ResultsSink.h"

class QWidget;

namespace ui {

enum class SourceKind {
  Image,  // a card image, scanned chunk by chunk
  File,   // a file read whole
  Text,   // the pasted text
};

// The chosen file's name without its folder, from the path's bytes.
QString DisplayName(const std::string& path);

QString CannotOpenMessage(const QString& name, const fw::OpenError& why);
QString TooLargeMessage(const QString& name);
// Nothing when the run ended as it should.
std::optional<QString> EndMessage(SourceKind kind, const QString& name, const records::Outcome& outcome);
// What the pasted text's own characters did to the rows (separators,
// characters that are not hexadecimal digits, an end inside a record);
// nothing for text whose records stand each whole and in one piece.
std::optional<QString> HexTextFaultMessage(const records::HexTextFaults& faults);
// Shows EndMessage in a message box, when there is one.
void ShowRunEnd(QWidget* parent, SourceKind kind, const QString& name, const records::Outcome& outcome);

}  // namespace ui
