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
  using fw::EditItem;
  AppendEditItem("EditMenu", "EditUndo", "Annuler", "Cmd+Z", EditItem::Undo);
  AppendItem("EditMenu", "UntitledMenu1", "-", "");
  AppendEditItem("EditMenu", "EditCut", "Couper", "Cmd+X", EditItem::Cut);
  AppendEditItem("EditMenu", "EditCopy", "&Copier", "Cmd+C", EditItem::Copy);
  AppendEditItem("EditMenu", "EditPaste", "Coller", "Cmd+V", EditItem::Paste);
  AppendEditItem("EditMenu", "EditClear", "Effacer", "", EditItem::Clear);
  AppendItem("EditMenu", "UntitledMenu0", "-", "");
  AppendEditItem("EditMenu", "EditSelectAll", "Tout Sélectionner", "Cmd+A", EditItem::SelectAll);
}
