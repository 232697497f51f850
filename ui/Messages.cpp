#include "Messages.h"

#include <QFile>
#include <QFileInfo>

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
  if (!f.Any()) return std::nullopt;
  std::string parts;
  if (f.cutRecords != 0)
    parts = fw::Counted(f.cutRecords, "enregistrement") +
            (f.cutRecords >= 2 ? " sont coupés, leurs champs" : " est coupé, ses champs") +
            " après la coupure restent vides";
  if (f.splitMarkers != 0)
    parts += (parts.empty() ? "" : " ; ") + fw::Counted(f.splitMarkers, "marqueur") +
             (f.splitMarkers >= 2 ? " coupés n'ont pas été trouvés" : " coupé n'a pas été trouvé");
  // A split marker is only ever split by a separator.
  const std::string head = f.cutByOther
                               ? "Le texte collé contient des caractères qui ne sont pas des chiffres hexadécimaux"
                               : "Le texte collé contient des séparateurs (espaces, retours à la ligne)";
  const std::string tail = f.cutByOther ? "Collez les octets d'un seul tenant, en chiffres hexadécimaux seulement."
                                        : "Collez les octets d'un seul tenant, sans séparateur.";
  return QString::fromStdString(head + " : " + parts + ". " + tail);
}

void ShowRunEnd(QWidget* parent, SourceKind kind, const QString& name, const records::Outcome& outcome) {
  if (const std::optional<QString> text = EndMessage(kind, name, outcome)) fw::Seams::Get().MsgBox(parent, *text);
}

}  // namespace ui
