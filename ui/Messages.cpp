#include "Messages.h"

#include <QFile>
#include <QFileInfo>
#include <vector>

#include "framework/core/Text.h"
#include "framework/gui/Seams.h"

namespace ui {

namespace {
QString Quoted(const QString& name) { return QStringLiteral("« ") + name + QStringLiteral(" »"); }
}  // namespace

QString DisplayName(const std::string& path) {
  return QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).fileName();
}

QString CannotOpenMessage(const QString& name, const fw::OpenError& why) {
  const QString head = "Impossible d'ouvrir " + Quoted(name);
  switch (why.kind) {
    case fw::OpenError::AccessDenied:
      return head + " : accès refusé. Un périphérique se lit en général avec les droits d'administrateur.";
    case fw::OpenError::NotFound: return head + " : fichier introuvable.";
    case fw::OpenError::NotFileOrDevice: return head + " : ce n'est ni un fichier ni un périphérique de stockage.";
    case fw::OpenError::None:
    case fw::OpenError::Other: break;
  }
  return head + " (erreur système " + QString::number(why.error) + ").";
}

QString TooLargeMessage(const QString& name) {
  return Quoted(name) +
         " est trop volumineux pour être lu en une seule fois : utilisez le bouton « Image binaire (dd) ».";
}

std::optional<QString> EndMessage(SourceKind kind, const QString& name, const records::Outcome& o) {
  using records::RunEnd;
  const QString nothingFromIt = " ; aucun résultat n'en provient.";
  // A run cut short after it began: what stopped it, after how much, and
  // that the results shown are only that part's.
  auto cutShort = [](const char* head, const std::string& count, const char* part) {
    return QString::fromStdString(std::string(head) + " s'est arrêtée après " + count +
                                  " ; les résultats affichés ne portent que sur cette partie" + part + ".");
  };
  switch (o.end) {
    case RunEnd::Done:
    case RunEnd::Stopped: return std::nullopt;
    case RunEnd::Empty: return Quoted(name) + " est vide : il n'y a rien à analyser.";
    case RunEnd::ReadError:
      if (!o.begun) return "Erreur de lecture : " + Quoted(name) + " n'a pas pu être lu" + nothingFromIt;
      if (kind == SourceKind::Image)
        return cutShort("Erreur de lecture : l'analyse", fw::Counted(o.bytes, "octet"), " de l'image");
      return cutShort("Erreur de lecture : la lecture", fw::Counted(o.bytes, "octet"), " du fichier");
    case RunEnd::MemoryShort:
      if (o.begun) return cutShort("Mémoire insuffisante : la recherche", fw::Counted(o.kept, "enregistrement"), "");
      if (kind == SourceKind::Text) return "Mémoire insuffisante pour lire le texte collé" + nothingFromIt;
      return "Mémoire insuffisante pour lire " + Quoted(name) + nothingFromIt;
    case RunEnd::NoResources:
      return "Impossible de lancer l'analyse de " + Quoted(name) + " : le système manque de ressources" + nothingFromIt;
  }
  return std::nullopt;
}

std::optional<QString> HexTextFaultMessage(const records::HexTextFaults& f) {
  // The French singular and plural of one count's sentence.
  const auto counted = [](uint64_t n, const char* unit, const char* one, const char* many) {
    return fw::Counted(n, unit) + (n >= 2 ? many : one);
  };
  // Rows whose fields stop at a cut, however they were cut.
  const auto cutRows = [&](uint64_t n) {
    return counted(n, "enregistrement", " est coupé, ses champs", " sont coupés, leurs champs") +
           " après la coupure restent vides";
  };
  std::vector<std::string> said;
  if (f.endCutRecords != 0)
    said.push_back("La fin du texte collé coupe " + counted(f.endCutRecords, "enregistrement", " : ses", " : leurs") +
                   " champs après la coupure restent vides.");
  if (f.otherCharacters == 0) {
    // White space alone: what it did is counted whole.
    std::string parts;
    if (f.cutRecords != 0) parts = cutRows(f.cutRecords);
    if (f.splitMarkers != 0)
      parts += (parts.empty() ? "" : " ; ") +
               counted(f.splitMarkers, "marqueur", " coupé n'a pas été trouvé", " coupés n'ont pas été trouvés");
    if (!parts.empty())
      said.push_back("Le texte collé contient des séparateurs (espaces, retours à la ligne) : " + parts +
                     ". Collez les octets d'un seul tenant, sans séparateur.");
  } else {
    // What the other characters cut or hide, no count can tell: the counts
    // that follow say so of themselves.
    const bool one = f.otherCharacters == 1;
    said.push_back(
        "Le texte collé contient " +
        counted(f.otherCharacters, "caractère",
                " qui n'est ni un chiffre hexadécimal ni un séparateur (espace, retour à la ligne)",
                " qui ne sont ni des chiffres hexadécimaux ni des séparateurs (espaces, retours à la ligne)") +
        " : des enregistrements peuvent être coupés ou cachés " + (one ? "par ce caractère" : "parmi ces caractères") +
        ", sans qu'on puisse savoir combien.");
    if (f.cutRecords != 0) said.push_back("Parmi les lieux listés, " + cutRows(f.cutRecords) + ".");
    if (f.splitMarkers != 0)
      said.push_back("Des séparateurs coupent en outre " +
                     counted(f.splitMarkers, "marqueur", ", qui n'a pas été trouvé", ", qui n'ont pas été trouvés") +
                     ".");
    const bool separators = f.cutRecords > f.cutByOther || f.splitMarkers != 0;
    said.push_back(std::string("Collez les octets seuls, en chiffres hexadécimaux") +
                   (separators ? " d'un seul tenant, sans séparateur." : "."));
  }
  if (said.empty()) return std::nullopt;
  std::string text = said[0];
  for (size_t k = 1; k < said.size(); ++k) text += " " + said[k];
  return QString::fromStdString(text);
}

void ShowRunEnd(QWidget* parent, SourceKind kind, const QString& name, const records::Outcome& outcome) {
  if (const std::optional<QString> text = EndMessage(kind, name, outcome)) fw::Seams::Get().MsgBox(parent, *text);
}

}  // namespace ui
