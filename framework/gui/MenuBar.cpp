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

// QPlainTextEdit and QTextEdit offer the same editing calls.
template <class Doc>
EditState documentState(Doc* d) {
  const bool sel = d->textCursor().hasSelection(), rw = !d->isReadOnly();
  EditState s{};
  s[at(EditItem::Undo)] = rw && d->document()->isUndoAvailable();
  s[at(EditItem::Cut)] = rw && sel;
  s[at(EditItem::Copy)] = sel;
  s[at(EditItem::Paste)] = d->canPaste();
  s[at(EditItem::Clear)] = rw && sel;
  s[at(EditItem::SelectAll)] = !d->document()->isEmpty();
  return s;
}

template <class Doc>
void documentEdit(Doc* d, EditItem item) {
  switch (item) {
    case EditItem::Undo: d->undo(); break;
    case EditItem::Cut: d->cut(); break;
    case EditItem::Copy: d->copy(); break;
    case EditItem::Paste: d->paste(); break;
    case EditItem::Clear: d->textCursor().removeSelectedText(); break;
    case EditItem::SelectAll: d->selectAll(); break;
  }
}

EditState lineState(QLineEdit* l) {
  const bool sel = l->hasSelectedText(), rw = !l->isReadOnly();
  const bool shown = l->echoMode() == QLineEdit::Normal;
  EditState s{};
  s[at(EditItem::Undo)] = rw && l->isUndoAvailable();
  s[at(EditItem::Cut)] = rw && sel && shown;
  s[at(EditItem::Copy)] = sel && shown;
  s[at(EditItem::Paste)] = rw && clipboardHasText();
  s[at(EditItem::Clear)] = rw && sel;
  s[at(EditItem::SelectAll)] = !l->text().isEmpty();
  return s;
}

void lineEdit(QLineEdit* l, EditItem item) {
  switch (item) {
    case EditItem::Undo: l->undo(); break;
    case EditItem::Cut: l->cut(); break;
    case EditItem::Copy: l->copy(); break;
    case EditItem::Paste: l->paste(); break;
    case EditItem::Clear: l->del(); break;
    case EditItem::SelectAll: l->selectAll(); break;
  }
}

EditState editState(QWidget* w) {
  if (auto* p = qobject_cast<QPlainTextEdit*>(w)) return documentState(p);
  if (auto* t = qobject_cast<QTextEdit*>(w)) return documentState(t);
  if (auto* l = qobject_cast<QLineEdit*>(w)) return lineState(l);
  return {};
}
}  // namespace

MenuBar::MenuBar() {
  if (qApp) connect(qApp, &QApplication::focusChanged, this, &MenuBar::UpdateEditItems);
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
  if (auto* p = qobject_cast<QPlainTextEdit*>(w)) documentEdit(p, item);
  else if (auto* t = qobject_cast<QTextEdit*>(w)) documentEdit(t, item);
  else if (auto* l = qobject_cast<QLineEdit*>(w)) lineEdit(l, item);
  UpdateEditItems();
}

}  // namespace fw
