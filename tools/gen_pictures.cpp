// Draws the three pictures the windows show and writes them as JPEG files:
// the clear icon (16 x 16) and the maker's logo at 26 x 32 and 81 x 99.
// Everything is drawn from shapes, no font, so the files come out the same
// wherever they are made.
//   gen_pictures <folder>   (the checked-in copies live in resources/)
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

// A round red button with a white cross: "clear".
QImage clearIcon() {
  QImage img(16, 16, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(150, 20, 20), 1));
  p.setBrush(QColor(215, 45, 40));
  p.drawEllipse(QRectF(1, 1, 14, 14));
  p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(5.2, 5.2), QPointF(10.8, 10.8));
  p.drawLine(QPointF(10.8, 5.2), QPointF(5.2, 10.8));
  return img;
}

// The maker's logo, drawn on a 81 x 99 design grid and scaled: a blue
// shield holding two white hills (an M) and a red map pin above them.
QImage logo(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(w / 81.0, h / 99.0);

  QPainterPath shield;
  shield.moveTo(4, 4);
  shield.lineTo(77, 4);
  shield.lineTo(77, 66);
  shield.quadTo(77, 84, 40.5, 96);
  shield.quadTo(4, 84, 4, 66);
  shield.closeSubpath();
  QLinearGradient g(0, 4, 0, 96);
  g.setColorAt(0, QColor(30, 80, 160));
  g.setColorAt(1, QColor(10, 40, 95));
  p.setPen(QPen(QColor(8, 30, 70), 2));
  p.setBrush(g);
  p.drawPath(shield);

  QPainterPath hills;
  hills.moveTo(12, 74);
  hills.lineTo(28, 44);
  hills.lineTo(40.5, 62);
  hills.lineTo(53, 44);
  hills.lineTo(69, 74);
  p.setPen(QPen(Qt::white, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(hills);

  QPainterPath pin;
  pin.moveTo(40.5, 40);
  pin.cubicTo(31, 28, 31, 24, 31, 21);
  pin.arcTo(QRectF(31, 11.5, 19, 19), 180, -180);
  pin.cubicTo(50, 24, 50, 28, 40.5, 40);
  p.setPen(QPen(QColor(120, 10, 10), 1));
  p.setBrush(QColor(225, 50, 40));
  p.drawPath(pin);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(40.5, 21), 3.8, 3.8);
  return img;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gen_pictures <folder>\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  const QString dir = QString::fromLocal8Bit(argv[1]);
  const struct {
    const char* name;
    QImage image;
  } out[] = {{"delete.jpg", clearIcon()}, {"Morvanelogo25.jpg", logo(26, 32)}, {"Morvanelogo.jpg", logo(81, 99)}};
  for (const auto& o : out) {
    const QString path = dir + "/" + o.name;
    if (!o.image.save(path, "JPG", 95)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      return 1;
    }
    std::printf("%s\n", qPrintable(path));
  }
  return 0;
}
