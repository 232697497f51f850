#include "App.h"

#include "framework/gui/Listbox.h"
#include "framework/gui/ReleaseInBackground.h"
#include "ui/Window2.h"

App::App() = default;
App::~App() = default;

App& App::instance() { return static_cast<App&>(AppServices::instance()); }

std::string App::ShortVersion() { return GRAVELIN_VERSION; }

void App::Event_Open() {
  const char* precision[] = {"ERREUR", "centre ville", "Croisement", "Numéro de rue", "N'importe où"};
  for (int i = 0; i < 5; ++i) PrecisionTexte[static_cast<size_t>(i)] = precision[i];
  const char* type[] = {"ERREUR-0",
                        "Saisie à partir de la carte ou d'un code postal",
                        "ERREUR-2",
                        "Favoris",
                        "Domicile",
                        "Saisie par adresse",
                        "Saisie à partir du POI",
                        "A partir de la dernière route calculée"};
  for (int i = 0; i < 8; ++i) TypeTexte[static_cast<size_t>(i)] = type[i];
}

void App::NameTab(int mode) {
  if (mode == 0) {
    // What the last run found is let go of on a worker thread: a million
    // rows freed here would hold the window.
    for (size_t i = 0; i < 2; ++i) fw::ReleaseInBackground(Pressepapier.view(i).takeStore());
    Window2::instance()->ClearResults();
  } else if (mode == 1) {
    Window2::instance()->ShowCounts();
  }
}
