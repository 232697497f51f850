// Test-only: loaded into an installed gravelin with LD_PRELOAD, so that a
// test can see what the real program draws, started from its install
// folder, without the program carrying any way to be driven. Once the main
// window is up it saves its two canvases, opens the about window by a click
// on the small logo, saves the about window's logo and both windows whole,
// then quits. The folder to save into comes from GRAVELIN_TEST_SHOTS; the
// program itself reads no environment.
#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

QString shotsDir() { return qEnvironmentVariable("GRAVELIN_TEST_SHOTS"); }

QWidget* topLevel(const char* cls) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && QByteArray(w->metaObject()->className()) == cls) return w;
  return nullptr;
}

bool save(QWidget* w, const QString& name) { return w && w->grab().save(QDir(shotsDir()).filePath(name + ".png")); }

void finish(int code) {
  if (code != 0) std::fprintf(stderr, "shot_preload: step %d failed\n", code);
  QCoreApplication::exit(code);
}

void aboutShots(int tries) {
  QWidget* about = topLevel("About_W");
  if (!about) {
    if (tries > 0) QTimer::singleShot(50, qApp, [tries] { aboutShots(tries - 1); });
    else finish(3);
    return;
  }
  QWidget* main = topLevel("Window2");
  const bool ok =
      save(about->findChild<QWidget*>("Canvas1"), "about-Canvas1") && save(about, "about") && save(main, "main");
  finish(ok ? 0 : 4);
}

void mainShots(int tries) {
  QWidget* main = topLevel("Window2");
  if (!main) {
    if (tries > 0) QTimer::singleShot(50, qApp, [tries] { mainShots(tries - 1); });
    else finish(1);
    return;
  }
  QWidget* logo = main->findChild<QWidget*>("Canvas1");
  if (!save(main->findChild<QWidget*>("CleanPB"), "main-CleanPB") || !save(logo, "main-Canvas1")) return finish(2);
  // A click on the small logo, as the user gives it.
  const QPointF at(5, 5);
  QMouseEvent press(QEvent::MouseButtonPress, at, logo->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, logo->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(logo, &press);
  QApplication::sendEvent(logo, &release);
  QTimer::singleShot(50, qApp, [] { aboutShots(100); });
}

void start() {
  if (shotsDir().isEmpty()) return;
  QTimer::singleShot(0, qApp, [] { mainShots(100); });
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(start)
