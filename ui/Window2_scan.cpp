// The card-image button and the window's own variant of the search window.
#include "ThreadDD.h"
#include "Window2.h"
#include "framework/gui/Seams.h"
#include "imagescan/SearchWindow.h"

void Window2::ImagePB1_Action() {
  if (ThreadDD::Running()) return;
  const auto path = fw::Seams::Get().OpenFile(this, "Sélectionner une image binaire",
                                              "Ouverture d'une image binaire en lecture seule");
  if (!path) return;
  auto stream = fw::BinaryStream::Open(*path);
  if (!stream) return;
  ThreadDD::Start(std::move(stream));
}

int32_t Window2::chercheNextStartImage(fw::MemoryBlock& fenetre, fw::MemoryBlock& blocActuel,
                                       fw::MemoryBlock& blocSuivant, int32_t start, fw::BinaryStream& stream) {
  return static_cast<int32_t>(imagescan::chercheNextStartImage(fenetre, blocActuel, blocSuivant, start, stream,
                                                               imagescan::TailleBlocFenetre));
}
