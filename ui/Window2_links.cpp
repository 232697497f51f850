// The bottom row of the window: version and mail labels, the about link,
// the small logo, and the clear icon's picture.
#include "About_W.h"
#include "AppServices.h"
#include "ControlNames.h"
#include "Links.h"
#include "Pictures.h"
#include "Window2.h"
#include "framework/gui/Seams.h"

bool Window2::StaticText16_MouseDown(int, int) {
  fw::Seams::Get().ShowURL(QString::fromStdString(ui::SupportMailLink(AppServices::instance().Version())));
  return false;
}

void Window2::StaticText16_Open() {
  Label(ui::kVersionLabel)->SetText(ui::MainVersionText(AppServices::instance().Version()));
}

bool Window2::StaticText17_MouseDown(int, int) {
  fw::Seams::Get().ShowURL(QString::fromStdString(ui::ContactMailLink(AppServices::instance().Version())));
  return false;
}

bool Window2::StaticText18_MouseDown(int, int) {
  About_W::instance(this)->Show();
  return false;
}

bool Window2::Canvas1_MouseDown(int x, int y) { return StaticText18_MouseDown(x, y); }

void Window2::Canvas1_Paint(QPainter& g) { ui::DrawPicture(g, ui::Morvanelogo25().Get()); }

bool Window2::PubPlumesatST_KeyDown(const QString&) { return false; }

void Window2::CleanPB_Paint(QPainter& g) { ui::DrawPicture(g, ui::delete_().Get()); }
