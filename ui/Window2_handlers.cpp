// The handlers of the window's data controls: the key filter, the export,
// "Quitter", the clear-all and the two lists.
#include "Window2.h"

bool Window2::TextSource_KeyDown(const QString&) { return false; }
void Window2::PushButton1_Action() {}
void Window2::PushButton2_Action() {}
bool Window2::CleanPB_MouseDown(int, int) { return false; }
void Window2::Listbox1_Open() {}
void Window2::Listbox1_DoubleClick() {}
void Window2::Listbox1_Change() {}
void Window2::Listbox2_Open() {}
void Window2::Listbox2_DoubleClick() {}
void Window2::Listbox2_Change() {}
void Window2::AideFlottantCB_Open() {}
