#include "MenuBar1.h"

#include <memory>

namespace {
std::unique_ptr<MenuBar1> bar;
}

MenuBar1* MenuBar1::instance() {
  if (!bar) bar.reset(new MenuBar1());
  return bar.get();
}

void MenuBar1::release() {
  if (bar && ApplicationMenuBar() == bar.get()) SetApplicationMenuBar(nullptr);
  bar.reset();
}

MenuBar1::MenuBar1() {
  Untitled0();
  Untitled1();
}

void MenuBar1::Untitled0() {
  AppendMenu("FileMenu", "&Fichier");
  AppendItem("FileMenu", "FileQuit", "Quitter", "Cmd+Q", Kind::Quit);
}

void MenuBar1::Untitled1() {
  AppendMenu("EditMenu", "Edition");
  AppendItem("EditMenu", "EditUndo", "Annuler", "Cmd+Z");
  AppendItem("EditMenu", "UntitledMenu1", "-", "");
  AppendItem("EditMenu", "EditCut", "Couper", "Cmd+X");
  AppendItem("EditMenu", "EditCopy", "&Copier", "Cmd+C");
  AppendItem("EditMenu", "EditPaste", "Coller", "Cmd+V");
  AppendItem("EditMenu", "EditClear", "Effacer", "");
  AppendItem("EditMenu", "UntitledMenu0", "-", "");
  AppendItem("EditMenu", "EditSelectAll", "Tout Sélectionner", "Cmd+A");
}
