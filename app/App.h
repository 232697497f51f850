// The application object: the two export texts, the tab captions, and the
// name tables its Open event fills.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/AppServices.h"

class App : public AppServices {
 public:
  App();
  ~App() override;
  static App& instance();

  void Event_Open();
  void NameTab(int mode) override;

  // Declared by the application and never filled or read.
  std::vector<int32_t> NumeroGPS, PrecisionValGPS, TypeVALGPS;
  std::vector<std::string> LatitudeGPS, LatitudeRuePlusProcheGPS, LongitudeGPS, LongitudeRuePlusProcheGPS, Adresse1GPS,
      Adresse2GPS, Adresse3GPS;
  std::vector<int32_t> OffsetDansFichierGPS;
  // Filled by Event_Open, read by nothing; their texts differ from the
  // decoders' on purpose.
  std::vector<std::string> PrecisionTexte = std::vector<std::string>(6);
  std::vector<std::string> TypeTexte = std::vector<std::string>(8);

  static std::string ShortVersion();
  std::string Version() const override { return ShortVersion(); }
};
