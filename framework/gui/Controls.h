// The control classes the windows are built from, over Qt widgets. Texts go
// in and out as UTF-8.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <functional>
#include <string>

namespace fw {

// Properties every control class shares.
//
// The help tag is kept as given (carriage returns and all) and shown as the
// control's tooltip, where each carriage return breaks the line.
void SetHelpTag(QWidget* w, const std::string& tag);
std::string HelpTag(const QWidget* w);
// Text size in the layout's own unit: one unit is one pixel of the design,
// so texts keep the room the layout gives them whatever the screen's dpi.
// 0 leaves the font at its default size.
void SetTextSize(QWidget* w, double size);
double TextSize(const QWidget* w);
void SetTextStyle(QWidget* w, bool bold, bool italic, bool underline);
// Text colour in the active and inactive states; the disabled look stays
// the style's own.
void SetTextColor(QWidget* w, QColor c);

// The size, in percent of the font's, at which a label's text is drawn in
// `available` pixels, `widthAt(percent)` giving its width at that size: 100
// when it fits; else the first of 97, 94, 91, 88 and 85 that fits; 100 (the
// text cut as it is) when even 85 does not.
int FitScalePercent(const std::function<double(int percent)>& widthAt, double available);

class StaticText : public QLabel {
  Q_OBJECT
 public:
  explicit StaticText(QWidget* parent = nullptr);
  std::string Text() const { return text_; }
  void SetText(const std::string& t);
  // 0 left, 1 centre, 2 right.
  void SetTextAlign(int align);
  int TextAlign() const { return align_; }
  // The font the text is drawn in: the label's own, or a little smaller
  // when that lets a text that is slightly too long show whole.
  QFont DrawnFont() const;
  // A text too long to show whole even so: cut as it is, or (for a label
  // that shows values the reader must not take for whole) ended with "…"
  // where it is cut, its help tag then giving the whole text: on one line
  // while that fits the screen, wrapped at the screen's width when not.
  void SetEllipsisWhenCut(bool on);
  // The text as drawn, and whether it is cut.
  QString ShownText() const;
  bool IsCut() const;
  // Return true to consume the key.
  std::function<bool(const QString& key)> onKeyDown;

 signals:
  void MouseDown(int x, int y);

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  // The help tag, or the whole text while it shows cut.
  void showTip();
  // Whether the text is cut, and the text as drawn, in the drawn font.
  bool cutIn(const QFont& f) const;
  QString shownIn(const QFont& f) const;

  // Kept as set: a label must give back exactly what was written into it.
  std::string text_;
  int align_ = 0;
  bool ellipsis_ = false;
};

class TextArea : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit TextArea(QWidget* parent = nullptr);
  QString Text() const { return toPlainText(); }
  void SetText(const QString& t) { setPlainText(t); }
  // The text and background colours, with or without the focus.
  void SetColours(const QColor& text, const QColor& back);
  // The selection is drawn only while the area has the focus. After
  // SetColours: the hidden selection takes the area's own colours.
  void SetHideSelection(bool hide);
  // Return true to consume the key. The shortcuts of the Edit menu's
  // commands (undo, cut, copy, paste, select all: Ctrl+Z, X, C, V, A) are
  // not keys: they edit the area as the menu would. Any other key held with
  // Control or Super is asked about with no text, as it types no character.
  // A text of several characters (a composed one, from an input method or
  // a dead key, or keys the system delivered together) is asked about one
  // character at a time and gets in only if every one of them does.
  std::function<bool(const QString& key)> onKeyDown;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
};

class PushButton : public QPushButton {
  Q_OBJECT
 public:
  explicit PushButton(QWidget* parent = nullptr);
 signals:
  void Action();
};

class ProgressBar : public QProgressBar {
  Q_OBJECT
 public:
  explicit ProgressBar(QWidget* parent = nullptr);
};

// Drawn by its Paint handler; while disabled, what the handler draws is
// shown greyed, as a disabled control is.
class Canvas : public QWidget {
  Q_OBJECT
 public:
  explicit Canvas(QWidget* parent = nullptr);
 signals:
  void Paint(QPainter& g);
  void MouseDown(int x, int y);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
};

class TabPanel : public QTabWidget {
  Q_OBJECT
 public:
  explicit TabPanel(QWidget* parent = nullptr);
  int Value() const { return currentIndex(); }
  // One empty page per caption; captions are separated by carriage returns.
  void SetTabDefinition(const QString& captions);
};

class PopupMenu : public QComboBox {
  Q_OBJECT
 public:
  explicit PopupMenu(QWidget* parent = nullptr);
  // Rows each ended by a carriage return (a last one without is kept too).
  void SetInitialValue(const QString& rows);
  int ListIndex() const { return currentIndex(); }
  void SetListIndex(int i) { setCurrentIndex(i); }
};

class CheckBox : public QCheckBox {
  Q_OBJECT
 public:
  explicit CheckBox(QWidget* parent = nullptr);
};

}  // namespace fw
