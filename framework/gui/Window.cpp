#include "Window.h"

#include <QEvent>
#include <algorithm>

#include "Controls.h"
#include "Listbox.h"
#include "MenuBar.h"

namespace fw {

Window::Window(QSize designSize, QWidget* parent)
    : QMainWindow(parent), content_(new QWidget(this)), design_(designSize) {
  content_->setObjectName("content");
  setCentralWidget(content_);
  content_->installEventFilter(this);
  if (MenuBar* bar = MenuBar::ApplicationMenuBar()) bar->InstallOn(this);
}

QWidget* Window::ControlByName(const QString& name) const {
  for (const Placed& p : placed_)
    if (p.w->objectName() == name) return p.w;
  return nullptr;
}

std::vector<QWidget*> Window::Controls() const {
  std::vector<QWidget*> out;
  for (const Placed& p : placed_) out.push_back(p.w);
  return out;
}

void Window::AddControl(QWidget* w, const QString& name, QRect design, int locks, TabPanel* panel, int page) {
  w->setParent(content_);
  w->setObjectName(name);
  placed_.push_back({w, design, locks, panel, page, true, -1});
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

const Window::Placed* Window::find(QWidget* w) const {
  for (const Placed& p : placed_)
    if (p.w == w) return &p;
  return nullptr;
}

void Window::SetControlVisible(QWidget* w, bool visible) {
  if (Placed* p = find(w)) p->visible = visible;
  updatePages();
}

bool Window::ControlVisible(QWidget* w) const {
  const Placed* p = find(w);
  return p && p->visible;
}

QRect Window::DesignRect(QWidget* w) const {
  const Placed* p = find(w);
  return p ? p->design : QRect();
}

int Window::Locks(QWidget* w) const {
  const Placed* p = find(w);
  return p ? p->locks : 0;
}

int Window::Page(QWidget* w) const {
  const Placed* p = find(w);
  return p ? p->page : 0;
}

void Window::SetTabIndex(QWidget* w, int index) {
  if (Placed* p = find(w)) p->tabIndex = index;
}

namespace {
int menuHeight(const QMainWindow* w, int width) {
  const QWidget* m = w->menuWidget();
  if (!m || m->isHidden()) return 0;
  return m->hasHeightForWidth() ? m->heightForWidth(width) : m->sizeHint().height();
}
}  // namespace

void Window::SetContentSize(QSize size) { resize(size.width(), size.height() + menuHeight(this, size.width())); }

void Window::SetContentBounds(QSize min, QSize max) {
  content_->setMinimumSize(min);
  content_->setMaximumSize(max);
  setMinimumSize(min.width(), min.height() + menuHeight(this, min.width()));
  setMaximumSize(max.width(), max.height() + menuHeight(this, max.width()));
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

void Window::applyTabOrder() {
  // Window-level controls by tab index; the controls on a tab panel's
  // pages follow the panel, by page and then by their own index.
  std::vector<const Placed*> top, onPages;
  for (const Placed& p : placed_) {
    if (p.tabIndex < 0) continue;
    (p.panel && p.page > 0 ? onPages : top).push_back(&p);
  }
  auto byIndex = [](const Placed* a, const Placed* b) { return a->tabIndex < b->tabIndex; };
  std::stable_sort(top.begin(), top.end(), byIndex);
  std::stable_sort(onPages.begin(), onPages.end(), [](const Placed* a, const Placed* b) {
    return a->page != b->page ? a->page < b->page : a->tabIndex < b->tabIndex;
  });
  std::vector<QWidget*> order;
  for (const Placed* p : top) {
    order.push_back(p->w);
    for (const Placed* q : onPages)
      if (q->panel == p->w) order.push_back(q->w);
  }
  for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void Window::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (opened_) return;
  opened_ = true;
  applyTabOrder();
  for (const auto& h : openHandlers_) h();
}

bool Window::boundIf(bool ok, QWidget* control, const QString& event, const QString& method) {
  if (ok) bindings_.push_back({control->objectName(), event, method});
  return ok;
}

bool Window::InstallHandler(QWidget* control, const QString& event, const QString& method, std::function<void()> h) {
  auto* list = qobject_cast<Listbox*>(control);
  auto* button = qobject_cast<PushButton*>(control);
  bool ok = true;
  if (event == "Open") openHandlers_.push_back(h);
  else if (button && event == "Action") connect(button, &PushButton::Action, this, h);
  else if (list && event == "Change") connect(list, &Listbox::Change, this, h);
  else if (list && event == "DoubleClick") connect(list, &Listbox::DoubleClick, this, h);
  else ok = false;
  return boundIf(ok, control, event, method);
}

bool Window::InstallHandler(QWidget* control, const QString& event, const QString& method,
                            std::function<bool(int, int)> h) {
  // The handler's answer claims nothing of the click: every control here
  // lets the gesture go on as usual.
  auto call = [h](int x, int y) { h(x, y); };
  auto* label = qobject_cast<StaticText*>(control);
  auto* canvas = qobject_cast<Canvas*>(control);
  const bool ok = event == "MouseDown" && (label || canvas);
  if (ok && label) connect(label, &StaticText::MouseDown, this, call);
  if (ok && canvas) connect(canvas, &Canvas::MouseDown, this, call);
  return boundIf(ok, control, event, method);
}

bool Window::InstallHandler(QWidget* control, const QString& event, const QString& method,
                            std::function<bool(const QString&)> h) {
  std::function<bool(const QString&)>* slot = nullptr;
  if (auto* t = qobject_cast<TextArea*>(control)) slot = &t->onKeyDown;
  if (auto* s = qobject_cast<StaticText*>(control)) slot = &s->onKeyDown;
  const bool ok = slot && event == "KeyDown";
  if (ok) *slot = std::move(h);
  return boundIf(ok, control, event, method);
}

bool Window::InstallHandler(QWidget* control, const QString& event, const QString& method,
                            std::function<void(QPainter&)> h) {
  auto* c = qobject_cast<Canvas*>(control);
  const bool ok = c && event == "Paint";
  if (ok) connect(c, &Canvas::Paint, this, h);
  return boundIf(ok, control, event, method);
}

bool Window::eventFilter(QObject* o, QEvent* e) {
  if (o == content_ && e->type() == QEvent::Resize) relayout();
  return QMainWindow::eventFilter(o, e);
}

}  // namespace fw
