#include "Controls.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace fw {

StaticText::StaticText(QWidget* parent) : QLabel(parent) { setTextFormat(Qt::PlainText); }

void StaticText::SetText(const std::string& t) {
  text_ = t;
  setText(QString::fromStdString(t));
}

void StaticText::mousePressEvent(QMouseEvent* e) {
  QLabel::mousePressEvent(e);
  emit MouseDown(static_cast<int>(e->position().x()), static_cast<int>(e->position().y()));
}

TextArea::TextArea(QWidget* parent) : QPlainTextEdit(parent) {}

void TextArea::keyPressEvent(QKeyEvent* e) {
  if (onKeyDown && onKeyDown(e->text())) return;
  QPlainTextEdit::keyPressEvent(e);
}

PushButton::PushButton(QWidget* parent) : QPushButton(parent) {
  connect(this, &QPushButton::clicked, this, [this] { emit Action(); });
}

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) { setTextVisible(false); }

Canvas::Canvas(QWidget* parent) : QWidget(parent) {}

void Canvas::paintEvent(QPaintEvent*) {
  QPainter g(this);
  emit Paint(g);
}

void Canvas::mousePressEvent(QMouseEvent* e) {
  emit MouseDown(static_cast<int>(e->position().x()), static_cast<int>(e->position().y()));
}

TabPanel::TabPanel(QWidget* parent) : QTabWidget(parent) {}

PopupMenu::PopupMenu(QWidget* parent) : QComboBox(parent) {}

CheckBox::CheckBox(QWidget* parent) : QCheckBox(parent) {}

}  // namespace fw
