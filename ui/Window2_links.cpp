// The bottom row of the window: version and mail labels, the about link,
// the small logo, and the clear icon's picture.
#include "Window2.h"

bool Window2::StaticText16_MouseDown(int, int) { return false; }
void Window2::StaticText16_Open() {}
bool Window2::StaticText17_MouseDown(int, int) { return false; }
bool Window2::StaticText18_MouseDown(int, int) { return false; }
bool Window2::Canvas1_MouseDown(int, int) { return false; }
void Window2::Canvas1_Paint(QPainter&) {}
bool Window2::PubPlumesatST_KeyDown(const QString&) { return false; }
void Window2::CleanPB_Paint(QPainter&) {}
