#include "Window.h"

#include <QEvent>

#include "Controls.h"

namespace fw {

Window::Window(QSize designSize, QWidget* parent) : QMainWindow(parent), content_(new QWidget(this)), design_(designSize) {
  content_->setObjectName("content");
  setCentralWidget(content_);
  content_->installEventFilter(this);
}

QWidget* Window::ControlByName(const QString& name) const {
  for (const Placed& p : placed_)
    if (p.w->objectName() == name) return p.w;
  return nullptr;
}

void Window::AddControl(QWidget* w, const QString& name, QRect design, int locks, TabPanel* panel, int page) {
  w->setParent(content_);
  w->setObjectName(name);
  placed_.push_back({w, design, locks, panel, page, true});
  w->setGeometry(design);
  if (auto* tp = qobject_cast<TabPanel*>(w)) connect(tp, &QTabWidget::currentChanged, this, &Window::updatePages);
  if (panel && page > 0) w->raise();
  updatePages();
}

Window::Placed* Window::find(QWidget* w) {
  for (Placed& p : placed_)
    if (p.w == w) return &p;
  return nullptr;
}

void Window::SetControlVisible(QWidget* w, bool visible) {
  if (Placed* p = find(w)) p->visible = visible;
  updatePages();
}

bool Window::ControlVisible(QWidget* w) const {
  for (const Placed& p : placed_)
    if (p.w == w) return p.visible;
  return false;
}

void Window::updatePages() {
  for (const Placed& p : placed_) {
    const bool onShownPage = !p.panel || p.page == 0 || p.panel->currentIndex() == p.page - 1;
    p.w->setVisible(p.visible && onShownPage);
  }
}

void Window::relayout() {
  const int dw = content_->width() - design_.width();
  const int dh = content_->height() - design_.height();
  for (const Placed& p : placed_) {
    QRect r = p.design;
    const bool l = p.locks & LockLeft, rt = p.locks & LockRight, t = p.locks & LockTop, b = p.locks & LockBottom;
    if (l && rt) r.setWidth(r.width() + dw);
    else if (rt) r.moveLeft(r.left() + dw);
    if (t && b) r.setHeight(r.height() + dh);
    else if (b) r.moveTop(r.top() + dh);
    p.w->setGeometry(r);
  }
}

bool Window::eventFilter(QObject* o, QEvent* e) {
  if (o == content_ && e->type() == QEvent::Resize) relayout();
  return QMainWindow::eventFilter(o, e);
}

}  // namespace fw
