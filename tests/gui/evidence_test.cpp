// The examiner's machine keeps no trace of a case: the real open dialog,
// cancelled and with a file chosen through it, alone and in the whole
// program from start to quit, leaves HOME and the XDG folders empty.
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <iostream>

#include "app/MenuBar1.h"
#include "app/Startup.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Seams.h"
#include "ui/Window2.h"

namespace {

// Answers the next file dialog once it shows: cancels it when `file` is
// empty, otherwise goes to the file's folder, types its name and accepts,
// as a user would.
void answerNextDialog(const QString& file) {
  auto* poll = new QTimer;
  poll->setInterval(20);
  QObject::connect(poll, &QTimer::timeout, [poll, file] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* d = qobject_cast<QFileDialog*>(w);
      if (!d || !d->isVisible()) continue;
      poll->stop();
      poll->deleteLater();
      if (file.isEmpty()) {
        d->reject();
        return;
      }
      const QFileInfo info(file);
      d->setDirectory(info.absolutePath());
      d->findChild<QLineEdit*>("fileNameEdit")->setText(info.fileName());
      QMetaObject::invokeMethod(d, "accept");
      return;
    }
  });
  poll->start();
}

// The child side, run with HOME and the XDG folders pointing at an empty
// folder. "--dialog": the real dialog alone, cancelled then used to choose
// `file`. "--program": the program from start-up to the end, a settings
// file chosen through "Fichier .cfg", "Image binaire (dd)" cancelled, then
// the quit item.
int child(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setApplicationName("Gravelin");
  const QString file = QFile::decodeName(argv[2]);
  if (std::string(argv[1]) == "--dialog") {
    answerNextDialog({});
    const auto none = fw::Seams::Get().OpenFile(nullptr, "prompt", "title");
    answerNextDialog(file);
    const auto chosen = fw::Seams::Get().OpenFile(nullptr, "prompt", "title");
    std::cout << (none ? "chosen" : "cancelled") << "\n" << chosen.value_or("cancelled") << std::endl;
    return 0;
  }
  QTimer::singleShot(0, [file] {
    Window2* w = Window2::instance();
    answerNextDialog(file);
    w->Control<fw::PushButton>("FichierPB1")->click();
    std::cout << w->List("Listbox1")->LastIndex() + 1 << std::endl;
    answerNextDialog({});
    w->Control<fw::PushButton>("ImagePB1")->click();
    for (QMenu* m : MenuBar1::instance()->Menus())
      for (QAction* a : m->actions())
        if (a->objectName() == "FileQuit") a->trigger();
  });
  return RunEventLoop();
}

}  // namespace

class EvidenceTest : public QObject {
  Q_OBJECT

 private slots:

  void leavesHomeEmpty_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("the dialog alone") << "--dialog";
    QTest::newRow("the program") << "--program";
  }
  void leavesHomeEmpty() {
    QFETCH(QString, how);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString home = root.filePath("home");
    // A case folder whose names are not plain ASCII: the chosen path must
    // come back as the bytes on disk.
    const QString cases = root.filePath("Affaire été");
    QVERIFY(QDir().mkpath(home) && QDir().mkpath(cases));
    const QString file = cases + "/évidence.cfg";
    QVERIFY(QFile::copy(FIXTURES_DIR "/settings_sample.cfg", file));

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* var : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
      env.insert(var, home);
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), {how, file});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    const QStringList out = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    if (how == "--dialog") {
      QCOMPARE(out, (QStringList{"cancelled", file}));
    } else {
      QCOMPARE(out.size(), 1);
      QVERIFY2(out[0].toInt() > 0, qPrintable(out[0]));  // the file was read through the dialog's path
    }

    QStringList left;
    QDirIterator it(home, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) left << it.next();
    QCOMPARE(left, QStringList{});
  }
};

int main(int argc, char** argv) {
  if (argc == 3 && (std::string(argv[1]) == "--dialog" || std::string(argv[1]) == "--program"))
    return child(argc, argv);
  QApplication qt(argc, argv);
  EvidenceTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "evidence_test.moc"
