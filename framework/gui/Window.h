// A window whose controls are found by their exact name and placed by
// pixel geometry in the content area, each edge optionally locked to the
// same edge of the window. Controls that sit on a page of a tab panel are
// children of the content area too and show only while their page does.
//
// Events are bound to controls by name ("Action", "MouseDown", ...); the
// window raises every control's "Open" once, when it first opens, and sets
// the tab order from each control's tab index at the same time.
#pragma once

#include <QMainWindow>
#include <QRect>
#include <functional>
#include <type_traits>
#include <utility>
#include <vector>

class QPainter;

namespace fw {

class TabPanel;

enum Lock { LockLeft = 1, LockTop = 2, LockRight = 4, LockBottom = 8 };

class Window : public QMainWindow {
  Q_OBJECT
 public:
  Window(QSize designSize, QWidget* parent = nullptr);
  QWidget* Content() const { return content_; }

  QWidget* ControlByName(const QString& name) const;
  template <class T>
  T* Control(const QString& name) const {
    return qobject_cast<T*>(ControlByName(name));
  }
  // Every control, in the order it was added.
  std::vector<QWidget*> Controls() const;

  // Adds a control under its name at its design geometry. `page` is the
  // 1-based page of `panel` it sits on, 0 for the window itself.
  void AddControl(QWidget* w, const QString& name, QRect design, int locks, TabPanel* panel = nullptr, int page = 0);
  // AddControl, then the control found again by its name, as the layouts
  // use it, with its tab index (none when negative).
  template <class C>
  C* AddNamed(C* control, const QString& name, QRect design, int locks, int tabIndex, TabPanel* panel = nullptr,
              int page = 0) {
    AddControl(control, name, design, locks, panel, page);
    C* found = Control<C>(name);
    if (found && tabIndex >= 0) SetTabIndex(found, tabIndex);
    return found;
  }
  // A control's own visibility, apart from whether its page shows.
  void SetControlVisible(QWidget* w, bool visible);
  bool ControlVisible(QWidget* w) const;
  QRect DesignRect(QWidget* w) const;
  int Locks(QWidget* w) const;
  int Page(QWidget* w) const;
  // Position in the tab order among the controls of the same parent (the
  // window, or the tab panel for controls on its pages). Controls without
  // one are left out of the order.
  void SetTabIndex(QWidget* w, int index);

  // Content size, its bounds, and whether the user may resize the window.
  void SetContentSize(QSize size);
  void SetContentBounds(QSize min, QSize max);

  // Binds `method` of this window to `event` of `control`. False when the
  // control's class raises no event of that name and kind.
  bool InstallHandler(QWidget* control, const QString& event, const QString& method, std::function<void()> h);
  bool InstallHandler(QWidget* control, const QString& event, const QString& method, std::function<bool(int, int)> h);
  bool InstallHandler(QWidget* control, const QString& event, const QString& method,
                      std::function<bool(const QString&)> h);
  bool InstallHandler(QWidget* control, const QString& event, const QString& method, std::function<void(QPainter&)> h);
  // Binds `m`, a method of this window's own class W, to `event` of the
  // control named `control`; FW_BIND below names the three after the
  // control and the event. An event the control's class does not raise is
  // a mistake in the layout, said on the console.
  template <class W, class Ret, class... A>
  void Bind(const char* control, const char* event, const char* method, Ret (W::*m)(A...)) {
    W* w = static_cast<W*>(this);
    std::function<Ret(A...)> h = [w, m](A... a) { return (w->*m)(std::forward<A>(a)...); };
    if (!InstallHandler(ControlByName(control), event, method, h)) qWarning("%s raises no %s event", control, event);
  }
  struct Binding {
    QString control, event, method;
  };
  const std::vector<Binding>& Bindings() const { return bindings_; }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  struct Placed {
    QWidget* w;
    QRect design;
    int locks;
    TabPanel* panel;
    int page;
    bool visible;
    int tabIndex;
  };
  QWidget* content_;
  QSize design_;
  std::vector<Placed> placed_;
  std::vector<Binding> bindings_;
  std::vector<std::function<void()>> openHandlers_;
  bool opened_ = false;
  void relayout();
  void updatePages();
  void applyTabOrder();
  Placed* find(QWidget* w);
  const Placed* find(QWidget* w) const;
  // Records the binding when it was made; returns `ok`.
  bool boundIf(bool ok, QWidget* control, const QString& event, const QString& method);
};

}  // namespace fw

// Inside a method of a window class: binds that class's method named after
// the control and the event (FW_BIND(CleanPB, Paint) binds CleanPB_Paint).
#define FW_BIND(control, event) \
  Bind(#control, #event, #control "_" #event, &std::remove_pointer_t<decltype(this)>::control##_##event)
