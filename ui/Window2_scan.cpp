// The card-image button.
#include "ChosenFile.h"
#include "ThreadDD.h"
#include "Window2.h"

void Window2::ImagePB1_Action() {
  if (ThreadDD::Running()) return;
  std::optional<ui::ChosenFile> image =
      ui::ChooseAndOpen(this, "Sélectionner une image binaire", "Ouverture d'une image binaire en lecture seule");
  if (!image) return;
  ThreadDD::Start(*this, std::move(image->stream), image->name);
}
