// A window whose controls are found by their exact name and placed by
// pixel geometry in the content area, each edge optionally locked to the
// same edge of the window. Controls that sit on a page of a tab panel are
// children of the content area too and show only while their page does.
#pragma once

#include <QMainWindow>
#include <QRect>
#include <vector>

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

  // Adds a control under its name at its design geometry. `page` is the
  // 1-based page of `panel` it sits on, 0 for the window itself.
  void AddControl(QWidget* w, const QString& name, QRect design, int locks, TabPanel* panel = nullptr,
                  int page = 0);
  // A control's own visibility, apart from whether its page shows.
  void SetControlVisible(QWidget* w, bool visible);
  bool ControlVisible(QWidget* w) const;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  struct Placed {
    QWidget* w;
    QRect design;
    int locks;
    TabPanel* panel;
    int page;
    bool visible;
  };
  QWidget* content_;
  QSize design_;
  std::vector<Placed> placed_;
  void relayout();
  void updatePages();
  Placed* find(QWidget* w);
};

}  // namespace fw
