#include "About_W.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include "AppServices.h"
#include "Links.h"
#include "Maker.h"
#include "Pictures.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Seams.h"

QPointer<About_W> About_W::current_;

About_W* About_W::instance(QWidget* over) {
  if (!isOpen()) {
    // Over the window it was opened from, and gone with it.
    current_ = new About_W(over);
    current_->show();
  }
  return current_;
}

bool About_W::isOpen() { return current_ && !current_->closed_; }

About_W::About_W(QWidget* parent) : fw::Window(QSize(510, 245), parent) {
  setAttribute(Qt::WA_DeleteOnClose);
  Layout();
  CreateControls();
}

void About_W::closeEvent(QCloseEvent* e) {
  closed_ = true;
  fw::Window::closeEvent(e);
}

void About_W::Show() {
  show();
  raise();
  activateWindow();
}

void About_W::keyPressEvent(QKeyEvent* e) {
  // "Fermer" is the default button: Return and Enter press it wherever the
  // focus is (the text is read-only and leaves these keys alone).
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    if (auto* b = Control<fw::PushButton>("PushButton1")) {
      b->click();
      return;
    }
  }
  fw::Window::keyPressEvent(e);
}

std::string About_W::Text() {
  const std::string indent(26, ' ');
  const std::string lines[] = {
      indent + "Gravelin",
      "",
      "Gravelin est un utilitaire pour Linux destiné à l'investigation numérique, qui facilite l'extraction des "
      "données des appareils de navigation par satellite (GPS).",
      "Il recherche et décode tous les enregistrements commençant par la chaine hexa : 04 00 .. 00 00 00 04 00 .. 00 "
      "00 00 08 00.",
      "Vous pouvez au choix décoder le contenu :",
      " 1- du champ texte situé en haut de l'écran. Un exemple est déjà présent dans ce champ.",
      " 2- d'un fichier .cfg contenu dans un GPS",
      " 3- d'une image binaire d'un GPS complet (faite avec un dd, FTK imager, ...). C'est à dire d'une carte "
      "mémoire ou de celle intégrée au GPS lui-même",
      "",
      "Cette version lit le texte collé, les fichiers et les images sans jamais les modifier, et n'écrit aucun "
      "fichier.",
      "",
      indent + maker::kName,
      std::string(maker::kName) + " conçoit des outils d'investigation numérique, dont " + maker::kOtherProduct + ".",
      "",
      std::string("Contact : ") + maker::kContactService,
      std::string("Téléphone : ") + maker::kTelephone,
      std::string("Email : ") + maker::kContactMail,
  };
  std::string text;
  for (const std::string& line : lines) text += (&line == lines ? "" : "\r") + line;
  return text;
}

void About_W::Layout() {
  setWindowTitle("A propos de ...");
  // A movable modal window of fixed size, with a close box only.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setWindowModality(Qt::ApplicationModal);
  SetContentBounds(QSize(510, 245), QSize(510, 245));
  SetContentSize(QSize(510, 245));
}

void About_W::CreateControls() { _CreateControls0(); }

void About_W::_CreateControls0() {
  {
    auto* c = AddNamed(new fw::TextArea(Content()), "EditField1", QRect(127, 14, 360, 210), 0, 0);
    fw::SetTextSize(c, 11);
    c->SetText(QString::fromStdString(Text()));
    c->setReadOnly(true);
    c->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    c->setTabChangesFocus(true);
    c->SetColours(Qt::black, Qt::white);
    c->SetHideSelection(true);
  }
  {
    auto* c = AddNamed(new fw::Canvas(Content()), "Canvas1", QRect(27, 35, 81, 99), 0, 1);
    c->setFocusPolicy(Qt::NoFocus);
    FW_BIND(Canvas1, Paint);
    FW_BIND(Canvas1, MouseDown);
  }
  {
    auto* c = AddNamed(new fw::StaticText(Content()), "StaticText2", QRect(27, 146, 100, 20), 0, 2);
    fw::SetTextSize(c, 10);
    c->SetText("Label:");
    c->SetTextAlign(0);
    fw::SetTextColor(c, Qt::black);
    FW_BIND(StaticText2, Open);
    FW_BIND(StaticText2, MouseDown);
  }
  {
    auto* c = AddNamed(new fw::PushButton(Content()), "PushButton1", QRect(34, 206, 69, 20), 0, 3);
    fw::SetTextSize(c, 12);
    c->setText("Fermer");
    c->setAutoDefault(false);
    c->setDefault(true);
    FW_BIND(PushButton1, Action);
  }
}

void About_W::Canvas1_Paint(QPainter& g) { ui::DrawPicture(g, ui::Morvanelogo().Get()); }

bool About_W::Canvas1_MouseDown(int, int) {
  fw::Seams::Get().ShowURL(QString::fromStdString(ui::WebSiteLink()));
  return false;
}

void About_W::StaticText2_Open() {
  Control<fw::StaticText>("StaticText2")->SetText(ui::AboutVersionText(AppServices::instance().Version()));
}

bool About_W::StaticText2_MouseDown(int, int) {
  fw::Seams::Get().ShowURL(QString::fromStdString(ui::WebSiteLink()));
  return false;
}

void About_W::PushButton1_Action() { close(); }
