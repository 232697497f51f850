// The card-image button and the window's own variant of the search window.
#include "ThreadDD.h"
#include "Window2.h"
#include "imagescan/SearchWindow.h"

void Window2::ImagePB1_Action() {
  if (ThreadDD::Running()) return;
  std::optional<ui::ChosenFile> image =
      ui::ChooseAndOpen(this, "Sélectionner une image binaire", "Ouverture d'une image binaire en lecture seule");
  if (!image) return;
  ThreadDD::Start(*this, std::move(image->stream), image->name);
}

int32_t Window2::chercheNextStartImage(fw::MemoryBlock& fenetre, fw::MemoryBlock& blocActuel,
                                       fw::MemoryBlock& blocSuivant, int32_t start, fw::BinaryStream& stream) {
  return static_cast<int32_t>(imagescan::chercheNextStartImage(fenetre, blocActuel, blocSuivant, start, stream,
                                                               imagescan::TailleBlocFenetre));
}
