// The pictures' routine: the Resources folder found from an executable, a
// picture read once and kept, a missing or unreadable one looked for again
// at the next paint, and drawing at the picture's own size.
#include <sys/stat.h>

#include <algorithm>

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include "framework/gui/Controls.h"
#include "framework/gui/Seams.h"
#include "ui/Pictures.h"
#include "util/ScriptedSeams.h"

namespace {

const QString kSource = SOURCE_DIR "/resources/";

bool samePixels(const QImage& a, const QImage& b, QRect r) {
  const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
  for (int j = r.top(); j <= r.bottom(); ++j)
    for (int i = r.left(); i <= r.right(); ++i)
      if (x.pixel(i, j) != y.pixel(i, j)) return false;
  return true;
}

bool flat(const QImage& img, QRgb colour) {
  const QImage x = img.convertToFormat(QImage::Format_RGB32);
  for (int j = 0; j < x.height(); ++j)
    for (int i = 0; i < x.width(); ++i)
      if (x.pixel(i, j) != colour) return false;
  return true;
}

// Every pixel a shade of grey, give or take what a palette's tint adds.
bool grey(const QImage& img) {
  const QImage x = img.convertToFormat(QImage::Format_RGB32);
  for (int j = 0; j < x.height(); ++j)
    for (int i = 0; i < x.width(); ++i) {
      const QRgb p = x.pixel(i, j);
      if (std::max({qRed(p), qGreen(p), qBlue(p)}) - std::min({qRed(p), qGreen(p), qBlue(p)}) > 8) return false;
    }
  return true;
}

void write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

}  // namespace

class PicturesTest : public QObject {
  Q_OBJECT

 private slots:
  void resourcesFolderRule_data() {
    QTest::addColumn<QStringList>("folders");  // made under a fresh folder
    QTest::addColumn<QString>("executable");   // under that folder
    QTest::addColumn<QString>("found");        // "" for none
    QTest::newRow("an install: bin beside Resources") << QStringList{"bin", "Resources"} << "bin/gravelin"
                                                      << "Resources";
    QTest::newRow("a bundle: Contents/MacOS")
        << QStringList{"Contents/MacOS", "Contents/Resources"} << "Contents/MacOS/gravelin"
        << "Contents/Resources";
    QTest::newRow("no Resources folder") << QStringList{"bin"} << "bin/gravelin"
                                         << "";
    QTest::newRow("Resources beside the executable only") << QStringList{"bin", "bin/Resources"} << "bin/gravelin"
                                                          << "";
    QTest::newRow("the executable's folder missing") << QStringList{"Resources"} << "gone/gravelin"
                                                     << "";
  }

  void resourcesFolderRule() {
    QFETCH(QStringList, folders);
    QFETCH(QString, executable);
    QFETCH(QString, found);
    QTemporaryDir dir;
    for (const QString& f : folders) QVERIFY(QDir(dir.path()).mkpath(f));
    const auto got = ui::ResourcesFolder(dir.filePath(executable));
    if (found.isEmpty()) {
      QVERIFY(!got);
    } else {
      QVERIFY(got);
      QCOMPARE(QFileInfo(*got).canonicalFilePath(), QFileInfo(dir.filePath(found)).canonicalFilePath());
    }
  }

  void resourcesIsAFileOrTheRootHoldsTheExecutable() {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("bin");
    write(dir.filePath("Resources"), "not a folder");
    QVERIFY(!ui::ResourcesFolder(dir.filePath("bin/gravelin")));
    QVERIFY(!ui::ResourcesFolder("/gravelin"));
  }

  // Missing at start, put in place later, removed after it was read.
  void readOnceAndKept() {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("bin");
    const QString exe = dir.filePath("bin/gravelin");
    ui::PictureFile f("Morvanelogo.jpg");
    QVERIFY(!f.Get(exe));  // no Resources folder
    QVERIFY(!f.Get(exe));
    QCOMPARE(f.Lookups(), 2);
    QDir(dir.path()).mkpath("Resources");
    QVERIFY(!f.Get(exe));  // no file
    QCOMPARE(f.Lookups(), 3);
    QVERIFY(QFile::copy(kSource + "Morvanelogo.jpg", dir.filePath("Resources/Morvanelogo.jpg")));
    const QImage* p = f.Get(exe);
    QVERIFY(p);
    const QImage want(kSource + "Morvanelogo.jpg");
    QCOMPARE(p->size(), QSize(81, 99));
    QVERIFY(samePixels(*p, want, want.rect()));
    QCOMPARE(f.Lookups(), 4);
    QVERIFY(QFile::remove(dir.filePath("Resources/Morvanelogo.jpg")));
    QCOMPARE(f.Get(exe), p);
    QCOMPARE(f.Lookups(), 4);
  }

  void unreadableDrawsNothingAndIsSoughtAgain_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("not a picture") << "garbage";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("cut short") << "cut";
    QTest::newRow("a folder of that name") << "folder";
    QTest::newRow("a FIFO of that name") << "fifo";
  }

  void unreadableDrawsNothingAndIsSoughtAgain() {
    QFETCH(QString, kind);
    testutil::ScriptedSeams seams;
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("bin");
    QDir(dir.path()).mkpath("Resources");
    const QString exe = dir.filePath("bin/gravelin");
    const QString path = dir.filePath("Resources/delete.jpg");
    QFile source(kSource + "delete.jpg");
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    if (kind == "garbage") write(path, "GIF? no, just text that is no picture at all");
    if (kind == "empty") write(path, "");
    if (kind == "cut") write(path, bytes.left(40));
    if (kind == "folder") QVERIFY(QDir(dir.path()).mkpath("Resources/delete.jpg"));
    if (kind == "fifo") QCOMPARE(::mkfifo(path.toLocal8Bit().constData(), 0600), 0);

    ui::PictureFile f("delete.jpg");
    QVERIFY(!f.Get(exe));
    QVERIFY(!f.Get(exe));
    QCOMPARE(f.Lookups(), 2);
    // Replaced by a good file, it is read at the next use.
    if (kind == "folder") QVERIFY(QDir(path).removeRecursively());
    else QVERIFY(QFile::remove(path));
    write(path, bytes);
    QVERIFY(f.Get(exe));
    QCOMPARE(f.Get(exe)->size(), QSize(16, 16));
    QCOMPARE(f.Lookups(), 3);
    QVERIFY(seams.messages.empty());
  }

  // On a canvas: nothing while the picture is missing, the picture from the
  // next paint on, and still after its file is gone.
  void nextPaintShowsAPicturePutInPlace() {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("bin");
    QDir(dir.path()).mkpath("Resources");
    const QString exe = dir.filePath("bin/gravelin");
    ui::PictureFile f("Morvanelogo25.jpg");
    fw::Canvas canvas;
    canvas.resize(26, 32);
    QPalette pal = canvas.palette();
    pal.setColor(QPalette::Window, QColor(0, 255, 0));
    canvas.setPalette(pal);
    canvas.setAutoFillBackground(true);
    QObject::connect(&canvas, &fw::Canvas::Paint, [&](QPainter& g) { ui::DrawPicture(g, f.Get(exe)); });

    QVERIFY(flat(canvas.grab().toImage(), qRgb(0, 255, 0)));
    QVERIFY(QFile::copy(kSource + "Morvanelogo25.jpg", dir.filePath("Resources/Morvanelogo25.jpg")));
    const QImage want(kSource + "Morvanelogo25.jpg");
    QVERIFY(samePixels(canvas.grab().toImage(), want, want.rect()));
    QVERIFY(QFile::remove(dir.filePath("Resources/Morvanelogo25.jpg")));
    QVERIFY(samePixels(canvas.grab().toImage(), want, want.rect()));
    QCOMPARE(f.Lookups(), 2);
  }

  // Whole, at its own size, from the top-left corner: not scaled to the
  // canvas, larger or smaller.
  void drawnAtItsOwnSize() {
    const QImage logo(kSource + "Morvanelogo.jpg");
    QVERIFY(!logo.isNull());
    const QRgb marker = qRgb(255, 0, 255);

    QImage larger(120, 140, QImage::Format_RGB32);
    larger.fill(marker);
    {
      QPainter g(&larger);
      ui::DrawPicture(g, &logo);
    }
    QVERIFY(samePixels(larger, logo, logo.rect()));
    QVERIFY(flat(larger.copy(81, 0, 39, 140), marker));
    QVERIFY(flat(larger.copy(0, 99, 120, 41), marker));

    QImage smaller(30, 20, QImage::Format_RGB32);
    smaller.fill(marker);
    {
      QPainter g(&smaller);
      ui::DrawPicture(g, &logo);
    }
    QVERIFY(samePixels(smaller, logo, smaller.rect()));

    QImage none(10, 10, QImage::Format_RGB32);
    none.fill(marker);
    {
      QPainter g(&none);
      ui::DrawPicture(g, nullptr);
    }
    QVERIFY(flat(none, marker));
  }

  // Disabled, a canvas shows what it draws greyed, as a disabled control
  // is drawn; enabled again, the picture itself.
  void disabledCanvasIsGreyed() {
    const QImage picture(kSource + "delete.jpg");
    QVERIFY(!picture.isNull());
    QVERIFY(!grey(picture));
    fw::Canvas canvas;
    canvas.resize(picture.size());
    QObject::connect(&canvas, &fw::Canvas::Paint, [&](QPainter& g) { ui::DrawPicture(g, &picture); });
    QVERIFY(samePixels(canvas.grab().toImage(), picture, picture.rect()));

    canvas.setEnabled(false);
    const QImage disabled = canvas.grab().toImage();
    QVERIFY(!samePixels(disabled, picture, picture.rect()));
    QVERIFY(grey(disabled));
    // Greyed, not blanked: the picture's shapes still show.
    QSet<QRgb> shades;
    for (int y = 0; y < disabled.height(); ++y)
      for (int x = 0; x < disabled.width(); ++x) shades.insert(disabled.pixel(x, y));
    QVERIFY(shades.size() > 4);

    canvas.setEnabled(true);
    QVERIFY(samePixels(canvas.grab().toImage(), picture, picture.rect()));
  }

  // The three files as checked in: their sizes, and each a picture rather
  // than a flat colour.
  void checkedInPictures_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("clear icon") << "delete.jpg" << QSize(16, 16);
    QTest::newRow("small logo") << "Morvanelogo25.jpg" << QSize(26, 32);
    QTest::newRow("large logo") << "Morvanelogo.jpg" << QSize(81, 99);
  }

  void checkedInPictures() {
    QFETCH(QString, name);
    QFETCH(QSize, size);
    const QImage img(kSource + name);
    QCOMPARE(img.size(), size);
    QSet<QRgb> colours;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) colours.insert(img.pixel(x, y));
    QVERIFY(colours.size() > 20);
    // The build tree holds the same file where the rule looks.
    const auto folder = ui::ResourcesFolder(QCoreApplication::applicationFilePath());
    QVERIFY(folder);
    QFile built(*folder + "/" + name), source(kSource + name);
    QVERIFY(built.open(QIODevice::ReadOnly) && source.open(QIODevice::ReadOnly));
    QCOMPARE(built.readAll(), source.readAll());
  }
};

QTEST_MAIN(PicturesTest)
#include "pictures_test.moc"
