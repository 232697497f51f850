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

class StaticText : public QLabel {
  Q_OBJECT
 public:
  explicit StaticText(QWidget* parent = nullptr);
  std::string Text() const { return text_; }
  void SetText(const std::string& t);

 signals:
  void MouseDown(int x, int y);

 protected:
  void mousePressEvent(QMouseEvent* e) override;

 private:
  // Kept as set: a label must give back exactly what was written into it.
  std::string text_;
};

class TextArea : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit TextArea(QWidget* parent = nullptr);
  QString Text() const { return toPlainText(); }
  void SetText(const QString& t) { setPlainText(t); }
  // Return true to consume the key.
  std::function<bool(const QString& key)> onKeyDown;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
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
};

class PopupMenu : public QComboBox {
  Q_OBJECT
 public:
  explicit PopupMenu(QWidget* parent = nullptr);
};

class CheckBox : public QCheckBox {
  Q_OBJECT
 public:
  explicit CheckBox(QWidget* parent = nullptr);
};

}  // namespace fw
