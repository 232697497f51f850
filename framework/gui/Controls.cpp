#include "Controls.h"

#include <QIcon>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>
#include <cmath>
#include <limits>

namespace fw {

namespace {
constexpr const char* kHelpTag = "fwHelpTag";
constexpr const char* kTextSize = "fwTextSize";

// Every carriage return, alone or before a line feed, as the line feed a
// tooltip breaks its lines at.
QString withLineFeeds(QString t) { return t.replace("\r\n", "\n").replace('\r', '\n'); }

// A plain-text tooltip would run the longest tags across the whole screen;
// as pre-wrapped rich text it wraps, yet keeps every space and line break.
// A value's lines are kept as given (valueTooltip breaks them).
QString tooltipFor(const QString& tag, bool wrap = true) {
  if (tag.isEmpty()) return {};
  return QString("<p style=\"white-space:%1\">").arg(wrap ? "pre-wrap" : "pre") + withLineFeeds(tag).toHtmlEscaped() +
         "</p>";
}

// The widest line a tooltip shows whole on `screen`: its width less the
// tooltip's own margins, frame and indent on both sides, and a few pixels
// for rounding.
qreal tooltipLineWidth(const QScreen* screen, const QStyle* style) {
  if (!screen) return std::numeric_limits<qreal>::max();  // none to fit yet
  const int frame = style->pixelMetric(QStyle::PM_ToolTipLabelFrameWidth);
  return screen->geometry().width() - 2 * (frame + 2) - 4;
}

// A value cut in its label, for its help tag: on one line while the line
// fits `width` pixels in the tooltip's font, so that it reads as written;
// else broken where it reaches that width, after a space where the line
// has one and inside a word where it has none, so that all of it shows on
// the screen. Nothing is dropped: each line starts where the one before
// ends, its spaces kept.
QString valueTooltip(const QString& value, qreal width) {
  const QFontMetricsF fm(QToolTip::font());
  QStringList lines;
  for (const QString& line : withLineFeeds(value).split('\n')) {
    qsizetype start = 0;
    while (fm.horizontalAdvance(line.mid(start)) > width) {
      // The longest run from `start` that fits, never less than one character.
      qsizetype lo = 1, hi = line.size() - start;
      while (lo < hi) {
        const qsizetype mid = (lo + hi + 1) / 2;
        if (fm.horizontalAdvance(line.mid(start, mid)) <= width) lo = mid;
        else hi = mid - 1;
      }
      qsizetype end = start + lo;
      const qsizetype space = line.lastIndexOf(' ', end - 1);
      if (space > start && space + 1 < end) end = space + 1;
      if (end < line.size() && line[end].isLowSurrogate() && end - 1 > start) --end;
      lines << line.mid(start, end - start);
      start = end;
    }
    lines << line.mid(start);
  }
  return tooltipFor(lines.join('\n'), false);
}
}  // namespace

void SetHelpTag(QWidget* w, const std::string& tag) {
  w->setProperty(kHelpTag, QString::fromStdString(tag));
  w->setToolTip(tooltipFor(QString::fromStdString(tag)));
}

std::string HelpTag(const QWidget* w) { return w->property(kHelpTag).toString().toStdString(); }

void SetTextSize(QWidget* w, double size) {
  w->setProperty(kTextSize, size);
  if (size <= 0) return;
  QFont f = w->font();
  f.setPixelSize(static_cast<int>(std::lround(size)));
  w->setFont(f);
}

double TextSize(const QWidget* w) {
  const QVariant v = w->property(kTextSize);
  return v.isValid() ? v.toDouble() : 0;
}

void SetTextStyle(QWidget* w, bool bold, bool italic, bool underline) {
  QFont f = w->font();
  f.setBold(bold);
  f.setItalic(italic);
  f.setUnderline(underline);
  w->setFont(f);
}

void SetTextColor(QWidget* w, QColor c) {
  QPalette p = w->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive}) {
    p.setColor(group, QPalette::WindowText, c);
    p.setColor(group, QPalette::Text, c);
    p.setColor(group, QPalette::ButtonText, c);
  }
  w->setPalette(p);
}

StaticText::StaticText(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(false);
  SetTextAlign(0);
}

void StaticText::SetText(const std::string& t) {
  text_ = t;
  setText(QString::fromStdString(t));
  showTip();
}

void StaticText::SetEllipsisWhenCut(bool on) {
  ellipsis_ = on;
  showTip();
  update();
}

bool StaticText::IsCut() const { return cutIn(DrawnFont()); }
QString StaticText::ShownText() const { return shownIn(DrawnFont()); }

bool StaticText::cutIn(const QFont& f) const {
  return QFontMetricsF(f).horizontalAdvance(text()) > contentsRect().width();
}

QString StaticText::shownIn(const QFont& f) const {
  if (!ellipsis_ || !cutIn(f)) return text();
  return QFontMetrics(f).elidedText(text(), Qt::ElideRight, contentsRect().width());
}

void StaticText::showTip() {
  if (!ellipsis_) return;
  setToolTip(IsCut() ? valueTooltip(text(), tooltipLineWidth(screen(), style()))
                     : tooltipFor(QString::fromStdString(HelpTag(this))));
}

bool StaticText::event(QEvent* e) {
  // Fitted to the screen the label is on as the tag shows.
  if (e->type() == QEvent::ToolTip) showTip();
  return QLabel::event(e);
}

void StaticText::resizeEvent(QResizeEvent* e) {
  QLabel::resizeEvent(e);
  showTip();
}

void StaticText::changeEvent(QEvent* e) {
  QLabel::changeEvent(e);
  if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) showTip();
}

void StaticText::SetTextAlign(int align) {
  align_ = align;
  const Qt::Alignment h = align == 1 ? Qt::AlignHCenter : align == 2 ? Qt::AlignRight : Qt::AlignLeft;
  setAlignment(h | Qt::AlignVCenter);
}

int FitScalePercent(const std::function<double(int percent)>& widthAt, double available) {
  if (widthAt(100) <= available) return 100;
  // Whole percents: steps of 0.03 in floating point miss the last one.
  for (int percent = 97; percent >= 85; percent -= 3)
    if (widthAt(percent) <= available) return percent;
  return 100;
}

QFont StaticText::DrawnFont() const {
  // The layout was drawn with narrower system fonts than most desktops have:
  // a text that would lose only its last few characters is drawn a little
  // smaller (down to 85 %) so that it shows whole. One that is far too long
  // is cut as it is, at the size of its neighbours.
  const int width = contentsRect().width();
  const QString t = text();
  QFont f = font();
  const double full = QFontInfo(f).pointSizeF();
  const int percent = FitScalePercent(
      [&](int pc) {
        QFont g = f;
        if (pc != 100) g.setPointSizeF(full * pc / 100.0);
        return QFontMetricsF(g).horizontalAdvance(t);
      },
      width);
  if (percent != 100) f.setPointSizeF(full * percent / 100.0);
  return f;
}

void StaticText::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QFont f = DrawnFont();
  p.setFont(f);
  style()->drawItemText(&p, contentsRect(), static_cast<int>(alignment()), palette(), isEnabled(), shownIn(f),
                        foregroundRole());
}

void StaticText::mousePressEvent(QMouseEvent* e) {
  QLabel::mousePressEvent(e);
  emit MouseDown(static_cast<int>(e->position().x()), static_cast<int>(e->position().y()));
}

void StaticText::keyPressEvent(QKeyEvent* e) {
  if (onKeyDown && onKeyDown(e->text())) return;
  QLabel::keyPressEvent(e);
}

TextArea::TextArea(QWidget* parent) : QPlainTextEdit(parent) {}

void TextArea::SetColours(const QColor& text, const QColor& back) {
  QPalette p = palette();
  for (auto group : {QPalette::Active, QPalette::Inactive}) {
    p.setColor(group, QPalette::Text, text);
    p.setColor(group, QPalette::Base, back);
  }
  setPalette(p);
}

void TextArea::SetHideSelection(bool hide) {
  QPalette p = palette();
  const QPalette::ColorGroup g = QPalette::Inactive;
  p.setColor(g, QPalette::Highlight,
             hide ? p.color(g, QPalette::Base) : p.color(QPalette::Active, QPalette::Highlight));
  p.setColor(g, QPalette::HighlightedText,
             hide ? p.color(g, QPalette::Text) : p.color(QPalette::Active, QPalette::HighlightedText));
  setPalette(p);
}

namespace {
// The Edit menu's own commands. Every other chord the area knows (redo,
// delete to the end of the line or by words, moves by words) would change
// the text or the cursor by a key that the filter never sees as one.
bool isEditCommand(const QKeyEvent* e) {
  const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
  if (mods != Qt::ControlModifier) return false;
  switch (e->key()) {
    case Qt::Key_Z:
    case Qt::Key_X:
    case Qt::Key_C:
    case Qt::Key_V:
    case Qt::Key_A: return true;
    default: return false;
  }
}

// Consumed when any of its characters is; a text with none is asked as it is.
bool consumes(const std::function<bool(const QString&)>& onKeyDown, const QString& text) {
  if (text.isEmpty()) return onKeyDown(text);
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
    if (onKeyDown(text.mid(i, n))) return true;
    i += n;
  }
  return false;
}
}  // namespace

void TextArea::keyPressEvent(QKeyEvent* e) {
  if (!onKeyDown || isEditCommand(e)) {
    QPlainTextEdit::keyPressEvent(e);
    return;
  }
  // A chord types no character, though Qt gives a key held with Super
  // (Meta on X11) the character's text and the area would insert it.
  const bool chord = e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
  if (consumes(onKeyDown, chord ? QString() : e->text())) return;
  QPlainTextEdit::keyPressEvent(e);
}

void TextArea::inputMethodEvent(QInputMethodEvent* e) {
  if (onKeyDown && !e->commitString().isEmpty() && consumes(onKeyDown, e->commitString())) {
    // The composed text is refused; whatever was being composed goes.
    QInputMethodEvent none;
    QPlainTextEdit::inputMethodEvent(&none);
    return;
  }
  QPlainTextEdit::inputMethodEvent(e);
}

PushButton::PushButton(QWidget* parent) : QPushButton(parent) {
  connect(this, &QPushButton::clicked, this, [this] { emit Action(); });
}

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) { setTextVisible(false); }

Canvas::Canvas(QWidget* parent) : QWidget(parent) {}

void Canvas::paintEvent(QPaintEvent*) {
  if (isEnabled()) {
    QPainter g(this);
    emit Paint(g);
    return;
  }
  // Disabled, whatever the handler draws is greyed as the style greys a
  // disabled button's icon, so that the canvas looks as unavailable as it
  // is: it is drawn aside first, with the painter set up as on the canvas.
  const qreal ratio = devicePixelRatioF();
  QPixmap drawn(size() * ratio);
  drawn.setDevicePixelRatio(ratio);
  drawn.fill(Qt::transparent);
  {
    QPainter g(&drawn);
    g.setPen(palette().color(foregroundRole()));
    g.setFont(font());
    g.setLayoutDirection(layoutDirection());
    emit Paint(g);
  }
  QStyleOption option;
  option.initFrom(this);
  QPainter(this).drawPixmap(0, 0, style()->generatedIconPixmap(QIcon::Disabled, drawn, &option));
}

void Canvas::mousePressEvent(QMouseEvent* e) {
  emit MouseDown(static_cast<int>(e->position().x()), static_cast<int>(e->position().y()));
}

TabPanel::TabPanel(QWidget* parent) : QTabWidget(parent) {
  // Tabs centred over the panel, as the layouts were drawn: controls placed
  // beside the tab row at either end stay clear of it.
  setStyleSheet("QTabWidget::tab-bar { alignment: center; }");
}

void TabPanel::SetTabDefinition(const QString& captions) {
  while (count() > 0) {
    QWidget* page = widget(0);
    removeTab(0);
    delete page;
  }
  for (const QString& caption : captions.split('\r')) addTab(new QWidget(this), caption);
}

PopupMenu::PopupMenu(QWidget* parent) : QComboBox(parent) {}

void PopupMenu::SetInitialValue(const QString& rows) {
  clear();
  QStringList list = rows.split('\r');
  if (!list.isEmpty() && list.last().isEmpty()) list.removeLast();
  addItems(list);
}

CheckBox::CheckBox(QWidget* parent) : QCheckBox(parent) {}

}  // namespace fw
