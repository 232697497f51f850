// `cmake --install` into a temporary folder lays out bin/gravelin and
// Resources/, and the installed program, started from there offscreen,
// finds and draws its three pictures (checked by pixels).
#include <QtTest>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "ui/Pictures.h"

namespace {

// True when the saved canvas shows the picture pixel for pixel.
bool showsPicture(const QString& shot, const QString& picture, QString* why) {
  const QImage s = QImage(shot).convertToFormat(QImage::Format_RGB32);
  const QImage p = QImage(picture).convertToFormat(QImage::Format_RGB32);
  if (s.isNull() || p.isNull()) {
    *why = "missing " + (s.isNull() ? shot : picture);
    return false;
  }
  if (s.size() != p.size()) {
    *why = QString("canvas %1x%2, picture %3x%4").arg(s.width()).arg(s.height()).arg(p.width()).arg(p.height());
    return false;
  }
  for (int y = 0; y < p.height(); ++y)
    for (int x = 0; x < p.width(); ++x)
      if (s.pixel(x, y) != p.pixel(x, y)) {
        *why = QString("pixel %1,%2 differs").arg(x).arg(y);
        return false;
      }
  return true;
}

// Starts the program offscreen with the test-only library that saves what
// it draws into `shots`.
void startSavingShots(QProcess& run, const QString& program, const QString& shots) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("LD_PRELOAD", SHOT_PRELOAD);
  env.insert("GRAVELIN_TEST_SHOTS", shots);
  run.setProcessEnvironment(env);
  run.setProcessChannelMode(QProcess::MergedChannels);
  run.start(program, {});
}
}  // namespace

class InstallTest : public QObject {
  Q_OBJECT
  QTemporaryDir prefix;

 private slots:
  void initTestCase() {
    QVERIFY(prefix.isValid());
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(CMAKE_COMMAND, {"--install", BUILD_DIR, "--prefix", prefix.path()});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0, install.readAll().constData());
  }

  void layout() {
    const QDir d(prefix.path());
    QVERIFY(QFileInfo(d.filePath("bin/gravelin")).isExecutable());
    for (const char* name : {"delete.jpg", "Morvanelogo25.jpg", "Morvanelogo.jpg"})
      QVERIFY2(QFileInfo(d.filePath(QString("Resources/") + name)).isFile(), name);
    const auto found = ui::ResourcesFolder(d.filePath("bin/gravelin"));
    QVERIFY(found);
    QCOMPARE(QFileInfo(*found).canonicalFilePath(), QFileInfo(d.filePath("Resources")).canonicalFilePath());
  }

  void installedProgramDrawsItsPictures() {
    QTemporaryDir shots;
    QProcess run;
    // Started from somewhere else: the pictures are found from the
    // executable, not from the working folder.
    run.setWorkingDirectory(QDir::tempPath());
    startSavingShots(run, QDir(prefix.path()).filePath("bin/gravelin"), shots.path());
    QVERIFY(run.waitForFinished(60000));
    const QByteArray out = run.readAll();
    QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0, out.constData());

    const QString res = QDir(prefix.path()).filePath("Resources/");
    const struct {
      const char* shot;
      const char* picture;
    } checks[] = {
        {"main-CleanPB", "delete.jpg"}, {"main-Canvas1", "Morvanelogo25.jpg"}, {"about-Canvas1", "Morvanelogo.jpg"}};
    for (const auto& c : checks) {
      QString why;
      QVERIFY2(showsPicture(shots.filePath(QString(c.shot) + ".png"), res + c.picture, &why),
               qPrintable(QString(c.shot) + ": " + why));
    }
    // And both windows were drawn whole.
    QVERIFY(!QImage(shots.filePath("main.png")).isNull());
    QVERIFY(!QImage(shots.filePath("about.png")).isNull());
  }

  // The same program without its Resources folder draws nothing there and
  // runs as well.
  void withoutResourcesTheCanvasesStayEmpty() {
    QTemporaryDir copy, shots;
    QVERIFY(QDir(copy.path()).mkpath("bin"));
    QVERIFY(QFile::copy(QDir(prefix.path()).filePath("bin/gravelin"), copy.filePath("bin/gravelin")));
    QProcess run;
    startSavingShots(run, copy.filePath("bin/gravelin"), shots.path());
    QVERIFY(run.waitForFinished(60000));
    QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0, run.readAll().constData());
    const QImage logo = QImage(shots.filePath("about-Canvas1.png")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(logo.size(), QSize(81, 99));
    QSet<QRgb> colours;
    for (int y = 0; y < logo.height(); ++y)
      for (int x = 0; x < logo.width(); ++x) colours.insert(logo.pixel(x, y));
    QCOMPARE(colours.size(), 1);  // the window's background alone
  }
};

QTEST_MAIN(InstallTest)
#include "install_test.moc"
