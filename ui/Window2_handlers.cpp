// Handlers whose behaviour comes with later work do nothing yet.
#include "Window2.h"

bool Window2::TextSource_KeyDown(const QString&) { return false; }
void Window2::PushButton1_Action() {}
void Window2::PushButton2_Action() {}
bool Window2::StaticText16_MouseDown(int, int) { return false; }
void Window2::StaticText16_Open() {}
bool Window2::StaticText17_MouseDown(int, int) { return false; }
bool Window2::StaticText18_MouseDown(int, int) { return false; }
bool Window2::Canvas1_MouseDown(int, int) { return false; }
void Window2::Canvas1_Paint(QPainter&) {}
bool Window2::PubPlumesatST_KeyDown(const QString&) { return false; }
void Window2::CleanPB_Paint(QPainter&) {}
bool Window2::CleanPB_MouseDown(int, int) { return false; }
void Window2::FichierPB11_Action() {}
void Window2::Listbox1_Open() {}
void Window2::Listbox1_DoubleClick() {}
void Window2::Listbox1_Change() {}
void Window2::Listbox2_Open() {}
void Window2::Listbox2_DoubleClick() {}
void Window2::Listbox2_Change() {}
void Window2::AideFlottantCB_Open() {}
std::string Window2::Hex2Text(const fw::MemoryBlock&) { return {}; }
