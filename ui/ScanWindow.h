// What a card-image scan needs of the window it shows itself in: its
// controls (found by name), the results step's view of it, and the source
// controls to hold while the scan runs. The scan is handed the window when
// it is made and never looks for one.
#pragma once

#include "framework/gui/Window.h"
#include "records/Results.h"

namespace ui {

class ScanWindow : public fw::Window {
  Q_OBJECT
 public:
  using fw::Window::Window;
  virtual records::ResultsHost& Results() = 0;
  // The source buttons and the clear icon, which start or undo a run.
  virtual void SetSourcesEnabled(bool enabled) = 0;

 signals:
  // The window is being closed: a scan showing itself here stops.
  void Closing();
};

}  // namespace ui
