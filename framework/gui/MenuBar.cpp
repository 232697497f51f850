#include "MenuBar.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <algorithm>
#include <array>

namespace fw {

namespace {
MenuBar* applicationBar = nullptr;

constexpr size_t kEditItems = 6;
size_t at(EditItem i) { return static_cast<size_t>(i); }

// Whether each editing item can act on a widget now, indexed by EditItem.
using EditState = std::array<bool, kEditItems>;

bool clipboardHasText() {
  const QMimeData* d = QApplication::clipboard()->mimeData();
  return d && d->hasText();
}

EditState stateOf(bool undo, bool cut, bool copy, bool paste, bool clear, bool selectAll) {
  EditState s{};
  s[at(EditItem::Undo)] = undo;
  s[at(EditItem::Cut)] = cut;
  s[at(EditItem::Copy)] = copy;
  s[at(EditItem::Paste)] = paste;
  s[at(EditItem::Clear)] = clear;
  s[at(EditItem::SelectAll)] = selectAll;
  return s;
}

// QPlainTextEdit and QTextEdit offer the same editing calls.
template <class Doc>
EditState documentState(Doc* d) {
  const bool sel = d->textCursor().hasSelection(), rw = !d->isReadOnly();
  return stateOf(rw && d->document()->isUndoAvailable(), rw && sel, sel, d->canPaste(), rw && sel,
                 !d->document()->isEmpty());
}

// The three editors share the calls' names; only clearing the selection
// differs.
template <class Editor, class Clear>
void editWith(Editor* e, EditItem item, Clear clear) {
  switch (item) {
    case EditItem::Undo: e->undo(); break;
    case EditItem::Cut: e->cut(); break;
    case EditItem::Copy: e->copy(); break;
    case EditItem::Paste: e->paste(); break;
    case EditItem::Clear: clear(); break;
    case EditItem::SelectAll: e->selectAll(); break;
  }
}

EditState lineState(QLineEdit* l) {
  const bool sel = l->hasSelectedText(), rw = !l->isReadOnly();
  const bool shown = l->echoMode() == QLineEdit::Normal;
  return stateOf(rw && l->isUndoAvailable(), rw && sel && shown, sel && shown, rw && clipboardHasText(), rw && sel,
                 !l->text().isEmpty());
}

EditState editState(QWidget* w) {
  if (auto* p = qobject_cast<QPlainTextEdit*>(w)) return documentState(p);
  if (auto* t = qobject_cast<QTextEdit*>(w)) return documentState(t);
  if (auto* l = qobject_cast<QLineEdit*>(w)) return lineState(l);
  return {};
}
}  // namespace

MenuBar::MenuBar() {
  if (!qApp) return;
  connect(qApp, &QApplication::focusChanged, this, &MenuBar::UpdateEditItems);
  // "Coller" follows what the clipboard holds, not what it held when the
  // text area took the focus.
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &MenuBar::UpdateEditItems);
}

MenuBar::~MenuBar() {
  if (applicationBar == this) applicationBar = nullptr;
  for (QMenu* m : menus_) delete m;
}

void MenuBar::SetApplicationMenuBar(MenuBar* bar) { applicationBar = bar; }
MenuBar* MenuBar::ApplicationMenuBar() { return applicationBar; }

QMenu* MenuBar::AppendMenu(const QString& name, const QString& text) {
  auto* m = new QMenu(text);
  m->setObjectName(name);
  connect(m, &QMenu::aboutToShow, this, &MenuBar::UpdateEditItems);
  menus_.push_back(m);
  for (const auto& bar : bars_)
    if (bar) bar->addMenu(m);
  return m;
}

QMenu* MenuBar::Child(const QString& name) const {
  for (QMenu* m : menus_)
    if (m->objectName() == name) return m;
  return nullptr;
}

QAction* MenuBar::AppendItem(const QString& menuName, const QString& name, const QString& text, const QString& shortcut,
                             Kind kind) {
  QMenu* menu = Child(menuName);
  if (!menu) return nullptr;
  QAction* a = nullptr;
  if (text == "-") {
    a = menu->addSeparator();
  } else {
    a = menu->addAction(text);
    if (!shortcut.isEmpty()) {
      QString keys = shortcut;
      keys.replace("Cmd+", "Ctrl+");
      a->setShortcut(QKeySequence(keys));
    }
  }
  a->setObjectName(name);
  if (kind == Kind::Quit) {
    a->setMenuRole(QAction::QuitRole);
    connect(a, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
  }
  return a;
}

QAction* MenuBar::AppendEditItem(const QString& menuName, const QString& name, const QString& text,
                                 const QString& shortcut, EditItem item) {
  QAction* a = AppendItem(menuName, name, text, shortcut);
  if (!a) return nullptr;
  editItems_.push_back({a, item});
  connect(a, &QAction::triggered, this, [this, item] { edit(item); });
  UpdateEditItems();
  return a;
}

void MenuBar::InstallOn(QMainWindow* w) {
  auto* bar = new QMenuBar(w);
  bar->setObjectName("menuBar");
  for (QMenu* m : menus_) bar->addMenu(m);
  w->setMenuBar(bar);
  bars_.erase(std::remove_if(bars_.begin(), bars_.end(), [](const QPointer<QMenuBar>& b) { return b.isNull(); }),
              bars_.end());
  bars_.push_back(bar);
}

void MenuBar::UpdateEditItems() {
  const EditState on = editState(QApplication::focusWidget());
  for (const Edit& e : editItems_) e.action->setEnabled(on[at(e.item)]);
}

void MenuBar::edit(EditItem item) {
  QWidget* w = QApplication::focusWidget();
  UpdateEditItems();
  if (!editState(w)[at(item)]) return;
  if (auto* p = qobject_cast<QPlainTextEdit*>(w)) editWith(p, item, [p] { p->textCursor().removeSelectedText(); });
  else if (auto* t = qobject_cast<QTextEdit*>(w)) editWith(t, item, [t] { t->textCursor().removeSelectedText(); });
  else if (auto* l = qobject_cast<QLineEdit*>(w)) editWith(l, item, [l] { l->del(); });
  UpdateEditItems();
}

}  // namespace fw
