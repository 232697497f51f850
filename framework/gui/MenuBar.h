// The application's menu bar: menus and items by name, shared by every
// window (each window shows it in a bar of its own). The standard editing
// items act on the focused text control and are enabled from its state; a
// quit item ends the application.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;

namespace fw {

// The standard editing items, by what they do.
enum class EditItem { Undo, Cut, Copy, Paste, Clear, SelectAll };

class MenuBar : public QObject {
  Q_OBJECT
 public:
  MenuBar();
  ~MenuBar() override;

  enum class Kind { Item, Quit };
  // A menu at the end of the bar.
  QMenu* AppendMenu(const QString& name, const QString& text);
  // An item at the end of the named menu; text "-" makes a separator. In a
  // shortcut "Cmd" stands for the platform's command key; "" sets none.
  QAction* AppendItem(const QString& menuName, const QString& name, const QString& text, const QString& shortcut,
                      Kind kind = Kind::Item);
  // A standard editing item at the end of the named menu.
  QAction* AppendEditItem(const QString& menuName, const QString& name, const QString& text, const QString& shortcut,
                          EditItem item);
  QMenu* Child(const QString& name) const;
  const std::vector<QMenu*>& Menus() const { return menus_; }

  // Shows these menus in a bar of the window's own (a Qt menu bar belongs
  // to one window; the menus themselves are shared).
  void InstallOn(QMainWindow* w);
  // The menu bar every window shows from now on (nullptr: none).
  static void SetApplicationMenuBar(MenuBar* bar);
  static MenuBar* ApplicationMenuBar();

  // Enables the editing items from the focused widget's state.
  void UpdateEditItems();

 private:
  struct Edit {
    QAction* action;
    EditItem item;
  };
  std::vector<QMenu*> menus_;
  std::vector<Edit> editItems_;
  std::vector<QPointer<QMenuBar>> bars_;
  void edit(EditItem item);
};

}  // namespace fw
