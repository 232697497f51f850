// The application's menu bar: "&Fichier" with the quit item and "Edition"
// with the standard editing items. There is one for the whole run, shown by
// every main window.
#pragma once

#include "framework/gui/MenuBar.h"

class MenuBar1 : public fw::MenuBar {
  Q_OBJECT
 public:
  // The one menu bar, built on first use.
  static MenuBar1* instance();
  // Releases it at the end of the run (after the windows).
  static void release();

  // The File menu, then the Edit menu.
  void Untitled0();
  void Untitled1();

 private:
  MenuBar1();
};
