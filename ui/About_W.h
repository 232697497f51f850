// The about window: the maker's logo, the version, a text presenting the
// program and a "Fermer" button. One at a time: a new one is built when the
// last was closed.
#pragma once

#include <QPointer>
#include <string>

#include "framework/gui/Window.h"

class QPainter;

class About_W : public fw::Window {
  Q_OBJECT
 public:
  // The open about window, or a new one over `over` (gone with it), built
  // and shown.
  static About_W* instance(QWidget* over = nullptr);
  static bool isOpen();

  void Layout();
  void CreateControls();
  void _CreateControls0();
  void Canvas1_Paint(QPainter& g);
  bool Canvas1_MouseDown(int x, int y);
  void StaticText2_Open();
  bool StaticText2_MouseDown(int x, int y);
  void PushButton1_Action();

  // Brings the window to the front.
  void Show();

  // The text of EditField1, lines separated by carriage returns.
  static std::string Text();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  explicit About_W(QWidget* parent);
  bool closed_ = false;
  static QPointer<About_W> current_;
};
